#pragma once
// Test double: forwards every call to a real mail system, except that chosen calls give a
// chosen result without reaching it (a logon that answers 8, a send that answers 4).

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "runtime/mail/simple_mapi.h"

namespace trv::mail {

enum class MapiCall {
  Logon,
  Logoff,
  FindNext,
  ReadMail,
  DeleteMail,
  SendMail,
  Address,
  FreeBuffer
};

class FaultMapi final : public SimpleMapi {
 public:
  explicit FaultMapi(SimpleMapi& target) : target_(target) {}

  // From now on call gives result (once: only its next use).
  void fail(MapiCall call, MapiResult result, bool once = false) {
    std::lock_guard lock(mutex_);
    faults_[call] = {result, once};
  }
  void heal(MapiCall call) {
    std::lock_guard lock(mutex_);
    faults_.erase(call);
  }

  MapiResult MAPILogon(std::uint32_t ui, std::string_view profile, std::string_view password,
                       std::uint32_t flags, std::uint32_t reserved, MapiHandle& session) override {
    if (auto r = fault(MapiCall::Logon)) {
      session = 0;
      return *r;
    }
    return target_.MAPILogon(ui, profile, password, flags, reserved, session);
  }
  MapiResult MAPILogoff(MapiHandle session, std::uint32_t ui, std::uint32_t flags,
                        std::uint32_t reserved) override {
    if (auto r = fault(MapiCall::Logoff)) return *r;
    return target_.MAPILogoff(session, ui, flags, reserved);
  }
  MapiResult MAPIFindNext(MapiHandle session, std::uint32_t ui, std::string_view type,
                          std::string_view seed, std::uint32_t flags, std::uint32_t reserved,
                          std::string& id) override {
    if (auto r = fault(MapiCall::FindNext)) return *r;
    return target_.MAPIFindNext(session, ui, type, seed, flags, reserved, id);
  }
  MapiResult MAPIReadMail(MapiHandle session, std::uint32_t ui, std::string_view id,
                          std::uint32_t flags, std::uint32_t reserved,
                          const MapiMessage*& message) override {
    if (auto r = fault(MapiCall::ReadMail)) {
      message = nullptr;
      return *r;
    }
    return target_.MAPIReadMail(session, ui, id, flags, reserved, message);
  }
  MapiResult MAPIDeleteMail(MapiHandle session, std::uint32_t ui, std::string_view id,
                            std::uint32_t flags, std::uint32_t reserved) override {
    if (auto r = fault(MapiCall::DeleteMail)) return *r;
    return target_.MAPIDeleteMail(session, ui, id, flags, reserved);
  }
  MapiResult MAPISendMail(MapiHandle session, std::uint32_t ui, const MapiMessage& message,
                          std::uint32_t flags, std::uint32_t reserved) override {
    if (auto r = fault(MapiCall::SendMail)) return *r;
    return target_.MAPISendMail(session, ui, message, flags, reserved);
  }
  MapiResult MAPIAddress(MapiHandle session, std::uint32_t ui, std::string_view caption,
                         std::uint32_t editFields, std::string_view labels,
                         const std::vector<MapiRecipDesc>& recips, std::uint32_t flags,
                         std::uint32_t reserved, std::uint32_t& count,
                         const MapiRecipList*& list) override {
    if (auto r = fault(MapiCall::Address)) {
      count = 0;
      list = nullptr;
      return *r;
    }
    return target_.MAPIAddress(session, ui, caption, editFields, labels, recips, flags, reserved,
                               count, list);
  }
  MapiResult MAPIFreeBuffer(const void* memory) override {
    if (auto r = fault(MapiCall::FreeBuffer)) return *r;
    return target_.MAPIFreeBuffer(memory);
  }
  std::string lastDetail() const override { return target_.lastDetail(); }

 private:
  struct Fault {
    MapiResult result;
    bool once;
  };

  std::optional<MapiResult> fault(MapiCall call) {
    std::lock_guard lock(mutex_);
    auto it = faults_.find(call);
    if (it == faults_.end()) return std::nullopt;
    const MapiResult result = it->second.result;
    if (it->second.once) faults_.erase(it);
    return result;
  }

  SimpleMapi& target_;
  std::mutex mutex_;
  std::map<MapiCall, Fault> faults_;
};

}  // namespace trv::mail
