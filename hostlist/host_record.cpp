#include "hostlist/host_record.h"

#include <cassert>

namespace lr {

std::string& HostRecord::Field(int field) {
  return const_cast<std::string&>(static_cast<const HostRecord&>(*this).Field(field));
}

const std::string& HostRecord::Field(int field) const {
  switch (field) {
    case kFieldIp:
      return ip;
    case kFieldMac:
      return mac;
    case kFieldWorkgroup:
      return workgroup;
    case kFieldName:
      return name;
    default:
      assert(field == kFieldRemark);
      return remark;
  }
}

}  // namespace lr
