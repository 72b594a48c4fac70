#pragma once
// The library's operations (module vxmapi): the exports of pelmoxi.h without their C shapes,
// working on the mail system through one automation object of the class "MAPI.Session" that
// VXMAPILogon creates as control 302 of a session window on its own thread.
//
// Every call requires the baton (Library gives it to each export). The module state (the
// registered variables, the folder list, the cached folder references) is shared by all
// threads; the session object belongs to the session window but, since only one thread runs
// at a time, the other threads address it directly.
//
// Results: false when there is no session, when a variable or list the operation needs was
// not registered (it is then never touched), or when the read that decides the operation
// fails; the texts already written stay, so after a failed read the text variables hold
// "GetPropertyFailed" and the count 0.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "mailauto/vxmapi/caller_vars.h"
#include "mailauto/vxmapi/folder_list.h"
#include "runtime/automation/control.h"
#include "runtime/messaging/mapi_session.h"

namespace trv::mailauto {

struct MessageVariables {
  TextVar sender;
  TextVar recipient;
  TextVar subject;
  TextVar text;
  TextVar attachmentFile;
  TextVar messageId;
  CountVar attachmentCount;
};

class Vxmapi {
 public:
  static constexpr int kLogonEvent = 401;
  static constexpr int kSessionControl = 302;

  // environment gives the mail system's environment for each session object created.
  explicit Vxmapi(std::function<messaging::MessagingEnvironment()> environment);

  // Runs the session window on the calling program thread until the program ends (or its
  // window closes): logs on with the registered profile and posts kLogonEvent to thread 1.
  // Returns at once when a session thread exists or the caller is no program thread.
  void Logon();
  void Logoff();
  bool ReadMail(std::string_view folder, const TextVar& id, bool inbox, bool byId);
  bool NextMessage(std::string_view folder, const TextVar& id, bool inbox, bool byId);
  bool GetMessage(const TextVar& id);
  bool DeleteMessage(const TextVar& id);
  bool LoadAttachments(const TextVar& id, PxQueue* list);
  bool ExtractAttachment(const TextVar& id, std::int32_t number, const TextVar& folder,
                         const TextVar& fileName);
  bool SendMail(bool recipientsFromList, PxQueue* recipients, bool attachmentsFromList,
                PxQueue* attachments);
  void AddressDialog(std::string_view title, std::int32_t lists, PxQueue* result,
                     const TextVar& cls, const TextVar& name, const TextVar& address);
  bool GetFolder() const { return true; }
  void LoadFolders();

  void SetMessageVariables(const MessageVariables& vars) { message_ = vars; }
  void SetPostBoxVariables(const TextVar& profile, const TextVar& password);
  void SetFolderVariables(const TextVar& a, const TextVar& b);

 private:
  using FolderCache = std::map<std::string, std::string>;  // folder key -> messages reference

  std::string read(std::string_view path);
  bool perform(std::string_view path);
  bool set(std::string_view path, std::string_view value);
  // The messages reference of the folder a walk reads, from cache when it has one; nothing
  // when the folder name is not in the folder list.
  std::optional<std::string> walkFolder(FolderCache& cache, std::string_view folder, bool inbox);
  std::string walkMessage(const std::string& messages, const TextVar& id, bool byId);
  void buildFolderList();
  void attach(const std::string& message, std::string_view path);
  std::string logonText(std::uint64_t window) const;

  automation::ClassRegistry classes_;
  automation::Controls controls_{classes_};
  int sessionThread_ = 0;
  bool logonStarted_ = false;
  std::uint64_t sessionWindow_ = 0;
  MessageVariables message_;
  TextVar profile_, password_;
  TextVar folderA_, folderB_;
  FolderList folders_;
  FolderCache readFolders_;
  FolderCache nextFolders_;
};

}  // namespace trv::mailauto
