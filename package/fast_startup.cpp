#include "package/fast_startup.h"

#include "base/format.h"

namespace lr {

std::vector<std::string> SwitchOffFastStartup(PackageTarget& t) {
  std::vector<std::string> warnings;
  std::string reason;
  if (!t.SetMachineDword(kPowerKey, kHiberbootValue, 0, reason))
    warnings.push_back("警告：未能关闭快速启动（写 " + std::string(kHiberbootValue) + " 失败：" +
                       reason + "）");
  const ProgramRun run = t.RunSystemProgram(kPowercfg, kHibernateOff);
  std::string why;
  if (!run.started)
    why = "无法启动：" + run.output;
  else if (!run.ended)
    why = "没有结束";
  else if (run.exit_code != 0)
    why = StrFormat("退出码 %u", run.exit_code) + (run.output.empty() ? "" : "：" + run.output);
  if (!why.empty()) warnings.push_back("警告：未能关闭休眠（" + run.command + " " + why + "）");
  return warnings;
}

std::string PrepareForImaging(const GeneratorInputs& in, PackageTarget& t) {
  std::string text = "\r\n\r\n制作镜像前请注意：\r\n";
  if (in.fast_startup_off) {
    const std::vector<std::string> warnings = SwitchOffFastStartup(t);
    for (const std::string& w : warnings) text += w + "\r\n";
    if (warnings.empty()) text += "已关闭快速启动和休眠（克隆机也一样）。\r\n";
  }
  return text +
         "只在“重新启动”后制作镜像，不要在“关机”后制作（快速启动会把母盘的会话留在镜像里）。\r\n"
         "Windows 11 24H2 及以后：与母盘共用计算机 SID 的克隆机之间不能用 NTLM/Kerberos"
         "（共享文件、远程桌面），解决办法是先用 Sysprep 封装。\r\n"
         "开着 BitLocker 或设备加密的母盘做出的克隆机会要求恢复密钥：制作镜像前先解密。";
}

}  // namespace lr
