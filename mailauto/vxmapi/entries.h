#pragma once
// The entries of the caller's lists that VXMAPISendMail reads, byte for byte.

#include <cstddef>

#include "mailauto/include/pelmoxi.h"

namespace trv::mailauto {

#pragma pack(push, 1)
struct RecipientEntry {
  char display[256];           // not read
  char recipientClass[7];      // "TO:", "CC:" or "BCC:", any letter case
  char recipientName[256];     // resolved by the mail system
  char recipientAddress[256];  // not read
};
static_assert(sizeof(RecipientEntry) == PX_RECIPIENT_ENTRY_SIZE);
static_assert(offsetof(RecipientEntry, recipientClass) == 256);
static_assert(offsetof(RecipientEntry, recipientName) == 263);
static_assert(offsetof(RecipientEntry, recipientAddress) == 519);

struct AttachmentEntry {
  char fileName[80];   // blank-padded; not read
  char filePath[256];  // the file to attach
};
static_assert(sizeof(AttachmentEntry) == PX_ATTACHMENT_ENTRY_SIZE);
static_assert(offsetof(AttachmentEntry, filePath) == 80);
#pragma pack(pop)

}  // namespace trv::mailauto
