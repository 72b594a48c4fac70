// The C exports of libpelmoxi.so (mailauto/include/pelmoxi.h): each runs its operation with
// the baton held (Library::run) and lets no exception out.

#include <cstdint>

#include "mailauto/include/pelmoxi.h"
#include "mailauto/vxmapi/library.h"

#define PX_EXPORT __attribute__((visibility("default")))

namespace {

using trv::mailauto::Library;
using trv::mailauto::TextVar;
using trv::mailauto::Vxmapi;

// Runs op with the baton; fallback when anything inside fails unexpectedly.
template <class R, class Op>
R guarded(R fallback, Op&& op) {
  try {
    return Library::instance().run(std::forward<Op>(op));
  } catch (...) {
    return fallback;
  }
}

template <class Op>
void guardedVoid(Op&& op) {
  try {
    Library::instance().run(std::forward<Op>(op));
  } catch (...) {
  }
}

std::uint8_t flag(bool b) {
  return b ? 1 : 0;
}

std::string_view byValue(const char* text) {
  return text ? std::string_view(text) : std::string_view();
}

}  // namespace

extern "C" {

PX_EXPORT void VXMAPILogoff(void) {
  guardedVoid([](Vxmapi& v) { v.Logoff(); });
}

PX_EXPORT uint8_t VXMAPIReadMail(const char* folder, char* msgId, uint32_t msgIdSize, uint8_t inbox,
                                 const void*, uint8_t byId) {
  return guarded<std::uint8_t>(0, [&](Vxmapi& v) {
    return flag(v.ReadMail(byValue(folder), TextVar(msgId, msgIdSize), inbox != 0, byId != 0));
  });
}

PX_EXPORT uint8_t VXMAPILoadAttachments(char* msgId, uint32_t msgIdSize, PxQueue* list) {
  return guarded<std::uint8_t>(
      0, [&](Vxmapi& v) { return flag(v.LoadAttachments(TextVar(msgId, msgIdSize), list)); });
}

PX_EXPORT uint8_t VXMAPIExtractAttachment(char* msgId, uint32_t msgIdSize, int32_t number,
                                          char* folder, uint32_t folderSize, char* fileName,
                                          uint32_t fileNameSize) {
  return guarded<std::uint8_t>(0, [&](Vxmapi& v) {
    return flag(v.ExtractAttachment(TextVar(msgId, msgIdSize), number, TextVar(folder, folderSize),
                                    TextVar(fileName, fileNameSize)));
  });
}

PX_EXPORT uint8_t VXMAPISendMail(const void*, uint8_t recipientsFromList, PxQueue* recipients,
                                 uint8_t attachmentsFromList, PxQueue* attachments) {
  return guarded<std::uint8_t>(0, [&](Vxmapi& v) {
    return flag(
        v.SendMail(recipientsFromList != 0, recipients, attachmentsFromList != 0, attachments));
  });
}

PX_EXPORT void VXMAPIAddressDialog(const char* title, int32_t lists, PxQueue* result, char* cls,
                                   uint32_t clsSize, char* name, uint32_t nameSize, char* address,
                                   uint32_t addressSize) {
  guardedVoid([&](Vxmapi& v) {
    v.AddressDialog(byValue(title), lists, result, TextVar(cls, clsSize), TextVar(name, nameSize),
                    TextVar(address, addressSize));
  });
}

PX_EXPORT void SetMessageVariables(char* sender, uint32_t senderSize, char* recipient,
                                   uint32_t recipientSize, char* subject, uint32_t subjectSize,
                                   char*, uint32_t, char*, uint32_t, char* text, uint32_t textSize,
                                   char* attachmentFile, uint32_t attachmentFileSize, char*,
                                   uint32_t, char*, uint32_t, char* messageId,
                                   uint32_t messageIdSize, uint32_t* attachmentCount) {
  trv::mailauto::MessageVariables vars;
  vars.sender = TextVar(sender, senderSize);
  vars.recipient = TextVar(recipient, recipientSize);
  vars.subject = TextVar(subject, subjectSize);
  vars.text = TextVar(text, textSize);
  vars.attachmentFile = TextVar(attachmentFile, attachmentFileSize);
  vars.messageId = TextVar(messageId, messageIdSize);
  vars.attachmentCount = trv::mailauto::CountVar(attachmentCount);
  guardedVoid([&](Vxmapi& v) { v.SetMessageVariables(vars); });
}

PX_EXPORT void VXMAPILogon(void) {
  guardedVoid([](Vxmapi& v) { v.Logon(); });
}

PX_EXPORT void SetPostBoxVariables(char* profile, uint32_t profileSize, char* password,
                                   uint32_t passwordSize) {
  guardedVoid([&](Vxmapi& v) {
    v.SetPostBoxVariables(TextVar(profile, profileSize), TextVar(password, passwordSize));
  });
}

PX_EXPORT uint8_t VXMAPIDeleteMessage(char* msgId, uint32_t msgIdSize) {
  return guarded<std::uint8_t>(
      0, [&](Vxmapi& v) { return flag(v.DeleteMessage(TextVar(msgId, msgIdSize))); });
}

PX_EXPORT uint8_t VXMAPIGetFolder(void) {
  return 1;  // no work of its own, with or without a session
}

PX_EXPORT uint8_t VXMAPINextMessage(const char* folder, char* msgId, uint32_t msgIdSize,
                                    uint8_t inbox, const void*, uint8_t byId) {
  return guarded<std::uint8_t>(0, [&](Vxmapi& v) {
    return flag(v.NextMessage(byValue(folder), TextVar(msgId, msgIdSize), inbox != 0, byId != 0));
  });
}

PX_EXPORT uint8_t VXMAPIGetMessage(char* msgId, uint32_t msgIdSize) {
  return guarded<std::uint8_t>(
      0, [&](Vxmapi& v) { return flag(v.GetMessage(TextVar(msgId, msgIdSize))); });
}

PX_EXPORT void SetFolderVariables(char* a, uint32_t aSize, char* b, uint32_t bSize) {
  guardedVoid([&](Vxmapi& v) { v.SetFolderVariables(TextVar(a, aSize), TextVar(b, bSize)); });
}

PX_EXPORT void VXMAPILoadFolders(void) {
  guardedVoid([](Vxmapi& v) { v.LoadFolders(); });
}

PX_EXPORT void trvrt_host_begin(void) {
  try {
    Library::instance().hostBegin();
  } catch (...) {
  }
}

PX_EXPORT int32_t trvrt_start(void (*fn)(void*), void* arg, uint32_t) {
  // The stack size is a wish the runtime's threads exceed: they run on the system's default.
  try {
    return Library::instance().hostStart(fn, arg);
  } catch (...) {
    return 0;
  }
}

PX_EXPORT int32_t trvrt_wait_event(int32_t timeoutMs) {
  try {
    return Library::instance().hostWaitEvent(timeoutMs);
  } catch (...) {
    return 0;
  }
}

PX_EXPORT void trvrt_host_end(void) {
  try {
    Library::instance().hostEnd();
  } catch (...) {
  }
}

PX_EXPORT extern const PxOrdinal PelmoxiOrdinals[16] = {
    nullptr,
    reinterpret_cast<PxOrdinal>(&VXMAPILogoff),
    reinterpret_cast<PxOrdinal>(&VXMAPIReadMail),
    reinterpret_cast<PxOrdinal>(&VXMAPILoadAttachments),
    reinterpret_cast<PxOrdinal>(&VXMAPIExtractAttachment),
    reinterpret_cast<PxOrdinal>(&VXMAPISendMail),
    reinterpret_cast<PxOrdinal>(&VXMAPIAddressDialog),
    reinterpret_cast<PxOrdinal>(&SetMessageVariables),
    reinterpret_cast<PxOrdinal>(&VXMAPILogon),
    reinterpret_cast<PxOrdinal>(&SetPostBoxVariables),
    reinterpret_cast<PxOrdinal>(&VXMAPIDeleteMessage),
    reinterpret_cast<PxOrdinal>(&VXMAPIGetFolder),
    reinterpret_cast<PxOrdinal>(&VXMAPINextMessage),
    reinterpret_cast<PxOrdinal>(&VXMAPIGetMessage),
    reinterpret_cast<PxOrdinal>(&SetFolderVariables),
    reinterpret_cast<PxOrdinal>(&VXMAPILoadFolders),
};

}  // extern "C"
