// The boot-time service both programs know: the generator registers it on the master beside
// the Run value, Hostprep runs under it on each clone and removes it when its work is done,
// and the master's "移除客户端" takes it out again. Texts are GBK, as everywhere.
#pragma once

namespace lr {

inline constexpr const char* kServiceName = "hostprep";
inline constexpr const char16_t* kServiceWideName = u"hostprep";
inline constexpr const char* kServiceDisplayName = "Hostprep 克隆机首次启动配置";
inline constexpr const char* kServiceDescription =
    "在克隆机启动时（无需登录）按 Myset.ini 设置本机的计算机名和静态 IP 地址，"
    "并在首次登录时启动指定程序、输入解锁密码。配置完成后本服务自动删除；"
    "在母盘上不做任何修改。";
// The service's program: the file the generator writes.
inline constexpr const char* kServiceImagePath = "C:\\Windows\\Hostprep.exe";
// The services' keys under HKEY_LOCAL_MACHINE. A clone whose session steps wait for a logon
// marks its boot steps done in its service's key, so the mark goes with the service; a new
// package starts without it.
inline constexpr const char16_t* kServicesKeyPath = u"SYSTEM\\CurrentControlSet\\Services\\";
inline constexpr const char16_t* kBootStepsValue = u"BootStepsDone";

}  // namespace lr
