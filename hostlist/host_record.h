// A host record: five GBK text fields, held exactly as found or typed.
#pragma once

#include <array>
#include <string>

namespace lr {

// Field positions. In the main window's list the IP address is the row's own text and the
// other four are its sub-items in this order.
enum HostField : int { kFieldIp = 0, kFieldMac, kFieldWorkgroup, kFieldName, kFieldRemark };
inline constexpr int kHostFieldCount = 5;

// "-" in the workgroup or computer-name field means "not known".
inline constexpr const char* kUnknownField = "-";

struct HostRecord {
  std::string ip;
  std::string mac;
  std::string workgroup;
  std::string name;
  std::string remark;  // nothing writes it; every record has it, empty

  std::string& Field(int field);
  const std::string& Field(int field) const;

  friend bool operator==(const HostRecord&, const HostRecord&) = default;
};

}  // namespace lr
