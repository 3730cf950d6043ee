// Fuzzes the clone's check of an answer: any bytes read as an answer build again into those
// bytes when signed with the signature's own key, and the check only finds an answer valid
// when it is signed with the package's key, for a nonce sent and an own MAC.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "package/assign_wire.h"
#include "tests/unit/assign_fake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  lr::testing::FakeCrypto crypto;
  const std::string key(16, 'k');
  const std::string id = lr::AssignPackageId(crypto, key);
  std::string signature;
  const std::optional<lr::AssignAnswer> answer = lr::ParseAssignAnswer(bytes, &signature);
  if (answer && signature.size() != lr::kSignatureBytes) std::abort();
  lr::AssignAnswer checked;
  const lr::AnswerVerdict verdict = lr::CheckAssignAnswer(
      crypto, key, id, bytes, {std::string(16, 'n')}, {"00-1A-2B-3C-4D-5E"}, {}, checked);
  if (!answer && verdict != lr::AnswerVerdict::kMalformed) std::abort();
  if (verdict == lr::AnswerVerdict::kValid &&
      (lr::EncodeAssignAnswer(crypto, key, checked) != bytes || checked.mac != "00-1A-2B-3C-4D-5E"))
    std::abort();
  return 0;
}
