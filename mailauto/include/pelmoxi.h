/* Pelmoxi: the mail automation library for programs written against the application runtime.
 *
 * A program loads libpelmoxi.so to read, send and delete the mail of any folder of the
 * workstation's mail system, to list and extract attachments and to open the address book.
 *
 * Calling order: make the calling thread a runtime program with trvrt_host_begin (it becomes
 * thread 1); register the variables (SetPostBoxVariables before VXMAPILogon,
 * SetMessageVariables before any message operation, SetFolderVariables before
 * VXMAPILoadFolders); start VXMAPILogon on a thread of its own with trvrt_start; wait on
 * thread 1 with trvrt_wait_event for event 401, which follows the logon whatever its outcome;
 * then call the other operations from any thread; VXMAPILogoff, then trvrt_host_end, at the end.
 *
 * Texts by reference travel as a buffer and its size: the library reads a text up to its zero
 * byte (never past the size) and writes texts cut to size - 1 and always terminated. Subjects,
 * message texts and names are in the Windows-1252 charset; paths and file names are file-system
 * paths. A message ID has the form "FOLDER/IDENTITY" and may be long: give it 256 bytes. A
 * variable that was registered as a null pointer or with size 0 is never touched; an operation
 * that needs it returns false. True is 1, false 0.
 *
 * Only one runtime thread runs at a time: every operation takes that turn (the baton) for its
 * duration, so any thread may call, and a thread that is not a runtime thread waits until the
 * runtime threads give way (thread 1 does while it waits in trvrt_wait_event).
 *
 * ELF has no ordinals: PelmoxiOrdinals[N] is the operation of ordinal N (1 to 15); index 0 is
 * null.
 */
#ifndef PELMOXI_H
#define PELMOXI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PxQueue {          /* the caller's list, as a queue with a record buffer */
  void *buffer; uint32_t size;    /* one entry of `size` bytes */
  void *ctx;
  uint32_t (*records)(void *ctx);
  int  (*get)(void *ctx, uint32_t pos);  /* copy entry pos (from 1) into buffer; 0 = ok */
  int  (*add)(void *ctx);                /* append a copy of buffer; 0 = ok */
  void (*clear)(void *ctx);
} PxQueue;

/* Entry sizes of the recipient list (class "TO:", "CC:" or "BCC:" at offset 256, 7 bytes;
   name at 263, 256 bytes; each zero-terminated) and of the attachment list (full path at
   offset 80, 256 bytes, zero-terminated) of VXMAPISendMail. A list whose entry size differs
   is refused. */
#define PX_RECIPIENT_ENTRY_SIZE 775
#define PX_ATTACHMENT_ENTRY_SIZE 336

void    VXMAPILogoff(void);                                                        /* 1 */
uint8_t VXMAPIReadMail(const char *folder, char *msgId, uint32_t msgIdSize,
                       uint8_t inbox, const void *unused, uint8_t byId);            /* 2 */
uint8_t VXMAPILoadAttachments(char *msgId, uint32_t msgIdSize, PxQueue *list);      /* 3 */
uint8_t VXMAPIExtractAttachment(char *msgId, uint32_t msgIdSize, int32_t number,
                                char *folder, uint32_t folderSize,
                                char *fileName, uint32_t fileNameSize);             /* 4 */
uint8_t VXMAPISendMail(const void *unused, uint8_t recipientsFromList, PxQueue *recipients,
                       uint8_t attachmentsFromList, PxQueue *attachments);          /* 5 */
void    VXMAPIAddressDialog(const char *title, int32_t lists, PxQueue *result,
                            char *cls, uint32_t clsSize, char *name, uint32_t nameSize,
                            char *address, uint32_t addressSize);                   /* 6 */
void    SetMessageVariables(char *sender, uint32_t, char *recipient, uint32_t,
                            char *subject, uint32_t, char *v4, uint32_t, char *v5, uint32_t,
                            char *text, uint32_t, char *attachmentFile, uint32_t,
                            char *v8, uint32_t, char *v9, uint32_t,
                            char *messageId, uint32_t, uint32_t *attachmentCount);  /* 7 */
void    VXMAPILogon(void);                                                         /* 8 */
void    SetPostBoxVariables(char *profile, uint32_t, char *password, uint32_t);     /* 9 */
uint8_t VXMAPIDeleteMessage(char *msgId, uint32_t msgIdSize);                       /* 10 */
uint8_t VXMAPIGetFolder(void);                                                     /* 11 */
uint8_t VXMAPINextMessage(const char *folder, char *msgId, uint32_t msgIdSize,
                          uint8_t inbox, const void *unused, uint8_t byId);         /* 12 */
uint8_t VXMAPIGetMessage(char *msgId, uint32_t msgIdSize);                          /* 13 */
void    SetFolderVariables(char *a, uint32_t, char *b, uint32_t);                   /* 14 */
void    VXMAPILoadFolders(void);                                                   /* 15 */

/* Host calls: a C program becomes a runtime program. */
void    trvrt_host_begin(void);    /* the calling thread becomes runtime thread 1 */
int32_t trvrt_start(void (*fn)(void *), void *arg, uint32_t stackBytes); /* its number */
int32_t trvrt_wait_event(int32_t timeoutMs); /* next event of the calling thread, 0 on time-out;
                                                gives the baton up while waiting */
void    trvrt_host_end(void);      /* close-down to every thread, joins them */

/* The runtime's event numbers a host sees. */
#define TRVRT_EVENT_CLOSE_DOWN 514 /* trvrt_wait_event once the program is ending */
#define PX_EVENT_LOGON 401         /* posted to thread 1 after the logon */

typedef void (*PxOrdinal)(void);
extern const PxOrdinal PelmoxiOrdinals[16];

#ifdef __cplusplus
}
#endif

#endif /* PELMOXI_H */
