#pragma once
// The program's mail calls as one interface, so that program code takes "the mail system" as a
// parameter: MailSystem is the real one; FaultMapi (fault_mapi.h) wraps one to make chosen
// calls fail, for tests of how the program reports failures.
//
// Every call returns a result code of mapi.h and never throws. Window handles and reserved
// arguments are accepted and ignored. Buffers a call hands out stay valid until passed to
// MAPIFreeBuffer. Implementations are thread-safe.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/mapi.h"

namespace trv::mail {

class SimpleMapi {
 public:
  virtual ~SimpleMapi() = default;

  [[nodiscard]] virtual MapiResult MAPILogon(std::uint32_t uiParam, std::string_view profileName,
                                             std::string_view password, std::uint32_t flags,
                                             std::uint32_t reserved, MapiHandle& session) = 0;
  [[nodiscard]] virtual MapiResult MAPILogoff(MapiHandle session, std::uint32_t uiParam,
                                              std::uint32_t flags, std::uint32_t reserved) = 0;
  [[nodiscard]] virtual MapiResult MAPIFindNext(MapiHandle session, std::uint32_t uiParam,
                                                std::string_view messageType, std::string_view seed,
                                                std::uint32_t flags, std::uint32_t reserved,
                                                std::string& messageId) = 0;
  [[nodiscard]] virtual MapiResult MAPIReadMail(MapiHandle session, std::uint32_t uiParam,
                                                std::string_view messageId, std::uint32_t flags,
                                                std::uint32_t reserved,
                                                const MapiMessage*& message) = 0;
  [[nodiscard]] virtual MapiResult MAPIDeleteMail(MapiHandle session, std::uint32_t uiParam,
                                                  std::string_view messageId, std::uint32_t flags,
                                                  std::uint32_t reserved) = 0;
  [[nodiscard]] virtual MapiResult MAPISendMail(MapiHandle session, std::uint32_t uiParam,
                                                const MapiMessage& message, std::uint32_t flags,
                                                std::uint32_t reserved) = 0;
  [[nodiscard]] virtual MapiResult MAPIAddress(
      MapiHandle session, std::uint32_t uiParam, std::string_view caption, std::uint32_t editFields,
      std::string_view labels, const std::vector<MapiRecipDesc>& recips, std::uint32_t flags,
      std::uint32_t reserved, std::uint32_t& newRecipCount, const MapiRecipList*& newRecips) = 0;
  [[nodiscard]] virtual MapiResult MAPIFreeBuffer(const void* memory) = 0;

  // What lay behind the last call's result (a sendmail error text, a bad settings line);
  // empty when there is nothing to add.
  virtual std::string lastDetail() const = 0;
};

}  // namespace trv::mail
