// Progress and result texts. The literals compile to GBK.
#include "scanner/scan_texts.h"

#include "base/format.h"

namespace lr {

std::string NbtStatusText(const std::string& ip) {
  return "正在扫描：" + ip;
}

std::string NbtEndText() {
  return "扫描成功完成！";
}

std::string NbtEndCountText(size_t records) {
  return "扫描成功完成！共发现主机数：" + std::to_string(records) + " 台!";
}

std::string NbtDroppedText(unsigned dropped) {
  return std::to_string(dropped) + " 个地址未能发送";
}

std::string NbtRetryFoundText(size_t found) {
  return "，重试后补充 " + std::to_string(found) + " 台";
}

std::string IcmpEchoText(const std::string& host, std::int32_t count, bool carry) {
  return "正在扫描 " + host + (carry ? " 共计要扫描IP地址" : " 共计要扫描IP地址 ") +
         std::to_string(count) + " 个";
}

std::string IcmpProgressText(const std::string& host) {
  return "正在扫描  " + host;
}

std::string IcmpHarvestText() {
  return "扫描已完成，正在分析数据... ";
}

std::string IcmpDoneText(size_t records) {
  return "扫描已成功完成,本次扫描共发现在线主机 " + std::to_string(records) + " 台";
}

std::string IcmpCancelText() {
  return "用户取消扫描！";
}

std::string ResolveDoneText() {
  return "主机名解析成功完成！";
}

std::string CannotOpenFileText(const std::string& path, const std::string& reason) {
  return "Cannot open file \"" + path + "\". " + reason;
}

}  // namespace lr
