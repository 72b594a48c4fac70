/* A caller of libpelmoxi.so written in plain C: it loads the library with dlopen and goes
 * through a caller's whole life with it. Usage: pelmoxi_c_test LIBRARY MODE, where MODE is
 * "life" (the workstation's own mail: walk, read, attachments, delete, send, address book) or
 * "missing-profile" (a logon to a profile that has no settings). */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mailauto/include/pelmoxi.h"

static int failures = 0;

#define CHECK(cond)                                                            \
  do {                                                                         \
    if (!(cond)) {                                                             \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                              \
    }                                                                          \
  } while (0)

#define CHECK_TEXT(actual, expected)                                                         \
  do {                                                                                       \
    if (strcmp((actual), (expected)) != 0) {                                                 \
      fprintf(stderr, "%s:%d: %s is \"%s\", expected \"%s\"\n", __FILE__, __LINE__, #actual, \
              (actual), (expected));                                                         \
      ++failures;                                                                            \
    }                                                                                        \
  } while (0)

/* ---- the library, as a caller finds it ---- */

static struct {
  void (*Logoff)(void);
  uint8_t (*ReadMail)(const char*, char*, uint32_t, uint8_t, const void*, uint8_t);
  uint8_t (*LoadAttachments)(char*, uint32_t, PxQueue*);
  uint8_t (*ExtractAttachment)(char*, uint32_t, int32_t, char*, uint32_t, char*, uint32_t);
  uint8_t (*SendMail)(const void*, uint8_t, PxQueue*, uint8_t, PxQueue*);
  void (*AddressDialog)(const char*, int32_t, PxQueue*, char*, uint32_t, char*, uint32_t, char*,
                        uint32_t);
  void (*SetMessageVariables)(char*, uint32_t, char*, uint32_t, char*, uint32_t, char*, uint32_t,
                              char*, uint32_t, char*, uint32_t, char*, uint32_t, char*, uint32_t,
                              char*, uint32_t, char*, uint32_t, uint32_t*);
  void (*Logon)(void);
  void (*SetPostBoxVariables)(char*, uint32_t, char*, uint32_t);
  uint8_t (*DeleteMessage)(char*, uint32_t);
  uint8_t (*GetFolder)(void);
  uint8_t (*NextMessage)(const char*, char*, uint32_t, uint8_t, const void*, uint8_t);
  uint8_t (*GetMessage)(char*, uint32_t);
  void (*SetFolderVariables)(char*, uint32_t, char*, uint32_t);
  void (*LoadFolders)(void);
  void (*host_begin)(void);
  int32_t (*start)(void (*)(void*), void*, uint32_t);
  int32_t (*wait_event)(int32_t);
  void (*host_end)(void);
  const PxOrdinal* ordinals;
} px;

static const char* const kOrdinalNames[16] = {
    NULL,
    "VXMAPILogoff",
    "VXMAPIReadMail",
    "VXMAPILoadAttachments",
    "VXMAPIExtractAttachment",
    "VXMAPISendMail",
    "VXMAPIAddressDialog",
    "SetMessageVariables",
    "VXMAPILogon",
    "SetPostBoxVariables",
    "VXMAPIDeleteMessage",
    "VXMAPIGetFolder",
    "VXMAPINextMessage",
    "VXMAPIGetMessage",
    "SetFolderVariables",
    "VXMAPILoadFolders",
};

static void* need(void* lib, const char* name) {
  void* p = dlsym(lib, name);
  if (!p) {
    fprintf(stderr, "missing export %s\n", name);
    exit(2);
  }
  return p;
}

/* Function pointers from dlsym, through memcpy as ISO C wants it. */
#define LOAD(field, name)                     \
  do {                                        \
    void* sym = need(lib, name);              \
    memcpy(&px.field, &sym, sizeof px.field); \
  } while (0)

static void* loadLibrary(const char* path) {
  void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    fprintf(stderr, "dlopen: %s\n", dlerror());
    exit(2);
  }
  LOAD(Logoff, "VXMAPILogoff");
  LOAD(ReadMail, "VXMAPIReadMail");
  LOAD(LoadAttachments, "VXMAPILoadAttachments");
  LOAD(ExtractAttachment, "VXMAPIExtractAttachment");
  LOAD(SendMail, "VXMAPISendMail");
  LOAD(AddressDialog, "VXMAPIAddressDialog");
  LOAD(SetMessageVariables, "SetMessageVariables");
  LOAD(Logon, "VXMAPILogon");
  LOAD(SetPostBoxVariables, "SetPostBoxVariables");
  LOAD(DeleteMessage, "VXMAPIDeleteMessage");
  LOAD(GetFolder, "VXMAPIGetFolder");
  LOAD(NextMessage, "VXMAPINextMessage");
  LOAD(GetMessage, "VXMAPIGetMessage");
  LOAD(SetFolderVariables, "SetFolderVariables");
  LOAD(LoadFolders, "VXMAPILoadFolders");
  LOAD(host_begin, "trvrt_host_begin");
  LOAD(start, "trvrt_start");
  LOAD(wait_event, "trvrt_wait_event");
  LOAD(host_end, "trvrt_host_end");
  px.ordinals = (const PxOrdinal*)need(lib, "PelmoxiOrdinals");
  return lib;
}

static void checkOrdinals(void* lib) {
  CHECK(px.ordinals[0] == NULL);
  for (int n = 1; n < 16; ++n) {
    void* sym = dlsym(lib, kOrdinalNames[n]);
    PxOrdinal f;
    memcpy(&f, &sym, sizeof f);
    if (px.ordinals[n] != f) {
      fprintf(stderr, "ordinal %d is not %s\n", n, kOrdinalNames[n]);
      ++failures;
    }
  }
}

/* ---- files ---- */

static char base[256];

static const char* at(const char* fmt, ...) {
  static char buffers[8][1024];
  static int next = 0;
  char* out = buffers[next++ % 8];
  char rel[400];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(rel, sizeof rel, fmt, ap);
  va_end(ap);
  snprintf(out, 1024, "%s/%s", base, rel);
  return out;
}

static void writeFile(const char* path, const void* data, size_t size) {
  FILE* f = fopen(path, "wb");
  if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) {
    fprintf(stderr, "cannot write %s: %s\n", path, strerror(errno));
    exit(2);
  }
}

static void writeText(const char* path, const char* text) {
  writeFile(path, text, strlen(text));
}

/* The whole file, zero-terminated; its size in *size. NULL when it cannot be read. */
static char* readFile(const char* path, size_t* size) {
  FILE* f = fopen(path, "rb");
  if (!f) return NULL;
  size_t cap = 4096, n = 0;
  char* data = malloc(cap);
  size_t got;
  while ((got = fread(data + n, 1, cap - n - 1, f)) > 0) {
    n += got;
    if (cap - n - 1 == 0) data = realloc(data, cap *= 2);
  }
  fclose(f);
  data[n] = '\0';
  if (size) *size = n;
  return data;
}

static void makeDir(const char* path) {
  if (mkdir(path, 0755) != 0 && errno != EEXIST) {
    fprintf(stderr, "cannot make %s: %s\n", path, strerror(errno));
    exit(2);
  }
}

static int countFiles(const char* dir, const char* prefix) {
  char command[700];
  snprintf(command, sizeof command, "ls -1 '%s' 2>/dev/null | grep -c '^%s'", dir, prefix);
  FILE* p = popen(command, "r");
  int n = 0;
  if (p) {
    if (fscanf(p, "%d", &n) != 1) n = 0;
    pclose(p);
  }
  return n;
}

/* The message the sendmail stand-in received last ("" when none); with args, its arguments. */
static char* lastSent(char** args) {
  char command[700];
  snprintf(command, sizeof command, "ls -1t '%s'/mail.* 2>/dev/null | grep -v 'args$' | head -n 1",
           at("sent"));
  FILE* p = popen(command, "r");
  char file[600] = "";
  if (p) {
    if (!fgets(file, sizeof file, p)) file[0] = '\0';
    pclose(p);
  }
  file[strcspn(file, "\n")] = '\0';
  char* text = file[0] ? readFile(file, NULL) : NULL;
  if (args) {
    strcat(file, ".args");
    *args = file[0] != '.' ? readFile(file, NULL) : NULL;
    if (!*args) *args = calloc(1, 1);
  }
  return text ? text : calloc(1, 1);
}

static const char b64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

static void appendBase64(char* out, const unsigned char* data, size_t size) {
  char* o = out + strlen(out);
  for (size_t i = 0; i < size; i += 3) {
    unsigned v = (unsigned)data[i] << 16;
    if (i + 1 < size) v |= (unsigned)data[i + 1] << 8;
    if (i + 2 < size) v |= data[i + 2];
    *o++ = b64[(v >> 18) & 63];
    *o++ = b64[(v >> 12) & 63];
    *o++ = i + 1 < size ? b64[(v >> 6) & 63] : '=';
    *o++ = i + 2 < size ? b64[v & 63] : '=';
    if ((i / 3 + 1) % 19 == 0) *o++ = '\n';
  }
  *o++ = '\n';
  *o = '\0';
}

/* Attachments: binary, with every byte value and zero bytes among them. */
static unsigned char blobA[700], blobB[300], blobC[50];

static void fillBlobs(void) {
  for (size_t i = 0; i < sizeof blobA; ++i) blobA[i] = (unsigned char)(i * 7);
  for (size_t i = 0; i < sizeof blobB; ++i) blobB[i] = (unsigned char)(255 - i);
  for (size_t i = 0; i < sizeof blobC; ++i) blobC[i] = (unsigned char)(i % 3);
}

static void deliver(const char* name, const char* from, const char* subject, const char* body,
                    int attachments, const unsigned char* const* blobs, const size_t* sizes,
                    const char* const* names) {
  static char message[16384];
  snprintf(message, sizeof message,
           "From: %s\nTo: helpdesk@example.org\nSubject: %s\nMIME-Version: 1.0\n"
           "Content-Type: multipart/mixed; boundary=\"xyz\"\n\n--xyz\n"
           "Content-Type: text/plain; charset=us-ascii\n\n%s\n",
           from, subject, body);
  for (int i = 0; i < attachments; ++i) {
    char head[300];
    snprintf(head, sizeof head,
             "--xyz\nContent-Type: application/octet-stream\n"
             "Content-Disposition: attachment; filename=\"%s\"\n"
             "Content-Transfer-Encoding: base64\n\n",
             names[i]);
    strcat(message, head);
    appendBase64(message, blobs[i], sizes[i]);
  }
  strcat(message, "--xyz--\n");
  /* Into the inbox's new/ under a name that orders them by delivery. */
  writeText(at("config/Mail/new/%s", name), message);
}

static void setUp(const char* mode) {
  snprintf(base, sizeof base, "%s/pelmoxi-c-XXXXXX", getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
  if (!mkdtemp(base)) {
    perror("mkdtemp");
    exit(2);
  }
  makeDir(at("config"));
  makeDir(at("config/Mail"));
  makeDir(at("config/Mail/new"));
  makeDir(at("config/Mail/cur"));
  makeDir(at("config/Mail/tmp"));
  makeDir(at("sent"));
  makeDir(at("out"));
  setenv("TRV_CONFIG_DIR", at("config"), 1);
  setenv("TRV_TEST_ADDRESS_ANSWERS", at("answers"), 1);

  /* A sendmail that keeps each message and its arguments, and refuses while "fail" exists. */
  char script[2048];
  snprintf(script, sizeof script,
           "#!/bin/sh\n"
           "if [ -e '%s/fail' ]; then echo 'relay refused' >&2; exit 75; fi\n"
           "f=$(mktemp '%s/sent/mail.XXXXXX') || exit 74\n"
           "cat > \"$f\"\n"
           "echo \"$@\" > \"$f.args\"\n",
           base, base);
  writeText(at("sendmail.sh"), script);
  chmod(at("sendmail.sh"), 0755);

  char settings[1024];
  snprintf(settings, sizeof settings,
           "maildir = Mail\nsendmail = %s/sendmail.sh\nfrom-name = Help Desk\n"
           "from-address = helpdesk@example.org\n",
           base);
  writeText(at("config/trvmail.conf"), settings);
  writeText(at("config/trvmail-addresses.txt"),
            "Ann Client <ann@example.com>\nBob Builder <bob@example.com>\n");
  writeText(at("answers"), "To: Ann Client <ann@example.com>; CC: Bob Builder <bob@example.com>\n");
  writeText(at("report.txt"), "the report\n");
  writeText(at("scan.bin"), "scan bytes\n");

  fillBlobs();
  const unsigned char* blobs1[] = {blobA, blobB};
  const size_t sizes1[] = {sizeof blobA, sizeof blobB};
  const char* names1[] = {"invoice.pdf", "photo.jpg"};
  deliver("1020672000.M1P1Q1.test", "Carla Client <carla@example.com>", "First", "first body", 2,
          blobs1, sizes1, names1);
  deliver("1020672060.M1P1Q2.test", "dave@example.com", "Second", "second body", 0, NULL, NULL,
          NULL);
  const unsigned char* blobs3[] = {blobC};
  const size_t sizes3[] = {sizeof blobC};
  const char* names3[] = {"log.txt"};
  deliver("1020672120.M1P1Q3.test", "Eve <eve@example.com>", "Third", "third body", 1, blobs3,
          sizes3, names3);
  (void)mode;
}

static void tearDown(void) {
  char command[400];
  snprintf(command, sizeof command, "rm -rf '%s'", base);
  if (system(command) != 0) fprintf(stderr, "could not remove %s\n", base);
}

/* ---- the caller's variables and lists ---- */

static char sender[80], recipient[80], subject[80], v4[8], v5[8], text[400], attachmentFile[300],
    v8[8], v9[8], messageId[256];
static uint32_t attachmentCount;
static char profile[40], password[40];
static char folderA[40], folderB[40];

static void registerMessageVariables(void) {
  px.SetMessageVariables(sender, sizeof sender, recipient, sizeof recipient, subject,
                         sizeof subject, v4, sizeof v4, v5, sizeof v5, text, sizeof text,
                         attachmentFile, sizeof attachmentFile, v8, sizeof v8, v9, sizeof v9,
                         messageId, sizeof messageId, &attachmentCount);
}

typedef struct {
  char* data;
  uint32_t count;
  uint32_t cap;
  PxQueue q;
} List;

static uint32_t listRecords(void* ctx) {
  return ((List*)ctx)->count;
}
static int listGet(void* ctx, uint32_t pos) {
  List* l = ctx;
  if (pos < 1 || pos > l->count) return 1;
  memcpy(l->q.buffer, l->data + (size_t)(pos - 1) * l->q.size, l->q.size);
  return 0;
}
static int listAdd(void* ctx) {
  List* l = ctx;
  if (l->count == l->cap) {
    l->cap = l->cap ? 2 * l->cap : 4;
    l->data = realloc(l->data, (size_t)l->cap * l->q.size);
  }
  memcpy(l->data + (size_t)l->count * l->q.size, l->q.buffer, l->q.size);
  ++l->count;
  return 0;
}
static void listClear(void* ctx) {
  ((List*)ctx)->count = 0;
}

static void listInit(List* l, uint32_t entrySize) {
  memset(l, 0, sizeof *l);
  l->q.buffer = calloc(1, entrySize);
  l->q.size = entrySize;
  l->q.ctx = l;
  l->q.records = listRecords;
  l->q.get = listGet;
  l->q.add = listAdd;
  l->q.clear = listClear;
}

static void listFree(List* l) {
  free(l->data);
  free(l->q.buffer);
}

static char* entry(List* l, uint32_t pos) {
  return l->data + (size_t)(pos - 1) * l->q.size;
}

static void addRecipient(List* l, const char* cls, const char* name) {
  memset(l->q.buffer, 0, l->q.size);
  strcpy((char*)l->q.buffer + 256, cls);
  strcpy((char*)l->q.buffer + 263, name);
  listAdd(l);
}

static void addAttachment(List* l, const char* path) {
  memset(l->q.buffer, ' ', 80);
  memset((char*)l->q.buffer + 80, 0, 256);
  strcpy((char*)l->q.buffer + 80, path);
  listAdd(l);
}

/* An entry of LoadAttachments: the text blank-padded to the entry size. */
static int entryIs(List* l, uint32_t pos, const char* expected) {
  const char* e = entry(l, pos);
  size_t n = strlen(expected);
  if (n > l->q.size || memcmp(e, expected, n) != 0) return 0;
  for (size_t i = n; i < l->q.size; ++i)
    if (e[i] != ' ') return 0;
  return 1;
}

/* ---- the session thread ---- */

static void logonThread(void* arg) {
  (void)arg;
  px.Logon(); /* runs the session window until the program ends */
}

/* Waits on thread 1 for event, giving way meanwhile. */
static int waitFor(int event) {
  for (int i = 0; i < 100; ++i) {
    int e = px.wait_event(100);
    if (e == event) return 1;
    if (e == TRVRT_EVENT_CLOSE_DOWN) return 0;
  }
  return 0;
}

/* A thread of the program that is no runtime thread reads a message. */
static volatile int helperDone = 0;
static uint8_t helperResult = 0;
static char helperId[256];

static void* helperThread(void* arg) {
  (void)arg;
  helperResult = px.GetMessage(helperId, sizeof helperId);
  helperDone = 1;
  return NULL;
}

/* ---- the life ---- */

static void beforeLogon(void) {
  /* Nothing registered yet: nothing to read into. */
  strcpy(messageId, "");
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);

  registerMessageVariables();
  static const char* const untouched = "untouched";
  char* texts[] = {sender, recipient, subject, text, attachmentFile, messageId};
  for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) strcpy(texts[i], untouched);
  attachmentCount = 77;
  char folder[64] = "/nowhere";
  char file[64] = "";
  List list;
  listInit(&list, 64);
  listAdd(&list);

  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);
  CHECK(px.ReadMail("Inbox", messageId, sizeof messageId, 0, NULL, 1) == 0);
  CHECK(px.NextMessage("", messageId, sizeof messageId, 1, NULL, 0) == 0);
  CHECK(px.GetMessage(messageId, sizeof messageId) == 0);
  CHECK(px.DeleteMessage(messageId, sizeof messageId) == 0);
  CHECK(px.LoadAttachments(messageId, sizeof messageId, &list.q) == 0);
  CHECK(px.ExtractAttachment(messageId, sizeof messageId, 1, folder, sizeof folder, file,
                             sizeof file) == 0);
  CHECK(px.SendMail(NULL, 0, NULL, 0, NULL) == 0);
  px.AddressDialog("To", 0, &list.q, v4, sizeof v4, v5, sizeof v5, v8, sizeof v8);
  CHECK(px.GetFolder() == 1);
  px.Logoff();
  for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) CHECK_TEXT(texts[i], untouched);
  CHECK(attachmentCount == 77);
  CHECK_TEXT(folder, "/nowhere");
  CHECK(list.count == 1);

  strcpy(folderA, "left");
  strcpy(folderB, "over");
  px.SetFolderVariables(folderA, sizeof folderA, folderB, sizeof folderB);
  px.LoadFolders(); /* without a session it empties the folder variables */
  CHECK_TEXT(folderA, "");
  CHECK_TEXT(folderB, "");
  listFree(&list);
}

static void logon(const char* profileName) {
  strcpy(profile, profileName);
  strcpy(password, "secret, with a comma");
  px.SetPostBoxVariables(profile, sizeof profile, password, sizeof password);
  int thread = px.start(logonThread, NULL, 25000);
  CHECK(thread == 2);
  CHECK(waitFor(PX_EVENT_LOGON));
  px.Logon(); /* a second logon returns at once */
}

/* Walks the inbox from its start; the IDs of what it met go to ids (up to 8). */
static int walkInbox(char ids[][256]) {
  int n = 0;
  strcpy(messageId, "");
  while (px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0)) {
    if (n < 8) strcpy(ids[n], messageId);
    ++n;
  }
  return n;
}

static void walkAndRead(char ids[][256]) {
  strcpy(messageId, "");
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 1);
  CHECK(strncmp(messageId, "INBOX/", 6) == 0);
  strcpy(ids[0], messageId);
  CHECK_TEXT(subject, "First");
  CHECK_TEXT(sender, "carla@example.com");
  CHECK_TEXT(text, "first body");
  CHECK(attachmentCount == 2);

  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 1);
  strcpy(ids[1], messageId);
  CHECK_TEXT(subject, "Second");
  CHECK(attachmentCount == 0);
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 1);
  strcpy(ids[2], messageId);
  CHECK_TEXT(subject, "Third");
  CHECK_TEXT(sender, "eve@example.com");
  CHECK(attachmentCount == 1);

  /* Past the last: it keeps failing until the position is blanked. */
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);
  CHECK_TEXT(messageId, "GetPropertyFailed");
  CHECK_TEXT(subject, "GetPropertyFailed");
  CHECK(attachmentCount == 0);
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);
  strcpy(messageId, "");
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 1);
  CHECK_TEXT(messageId, ids[0]);

  /* By ID. */
  char id[256];
  strcpy(id, ids[1]);
  CHECK(px.ReadMail("", id, sizeof id, 1, NULL, 1) == 1);
  CHECK_TEXT(subject, "Second");
  CHECK_TEXT(sender, "dave@example.com");

  /* By folder name, in any letter case: the folder list finds it. The sender is the name. */
  strcpy(messageId, "");
  CHECK(px.NextMessage("inbox", messageId, sizeof messageId, 0, NULL, 0) == 1);
  CHECK_TEXT(messageId, ids[0]);
  CHECK_TEXT(sender, "Carla Client");
  CHECK(px.NextMessage("inbox", messageId, sizeof messageId, 0, NULL, 0) == 1);
  CHECK_TEXT(subject, "Second");
  /* Another folder is read as that folder, not as the one read first. */
  strcpy(messageId, "");
  CHECK(px.NextMessage("SENT", messageId, sizeof messageId, 0, NULL, 0) == 0);
  CHECK_TEXT(messageId, "GetPropertyFailed");
  strcpy(messageId, "");
  CHECK(px.NextMessage("Inbox", messageId, sizeof messageId, 0, NULL, 0) == 1);
  CHECK_TEXT(subject, "First");
  strcpy(messageId, "");
  CHECK(px.NextMessage("No Such Folder", messageId, sizeof messageId, 0, NULL, 0) == 0);
  CHECK_TEXT(messageId, "");

  /* A short message ID variable cannot hold the failure text: the result still says false. */
  char shortId[8] = "";
  char fakeId[] = "INBOX/nothing-here";
  px.SetMessageVariables(sender, sizeof sender, recipient, sizeof recipient, subject,
                         sizeof subject, NULL, 0, NULL, 0, text, sizeof text, attachmentFile,
                         sizeof attachmentFile, NULL, 0, NULL, 0, shortId, sizeof shortId,
                         &attachmentCount);
  CHECK(px.ReadMail("", fakeId, sizeof fakeId, 1, NULL, 1) == 0);
  CHECK_TEXT(shortId, "GetProp");
  registerMessageVariables();

  /* GetMessage reads the header. */
  strcpy(id, ids[2]);
  CHECK(px.GetMessage(id, sizeof id) == 1);
  CHECK_TEXT(subject, "Third");
  CHECK_TEXT(sender, "Eve");
  CHECK_TEXT(messageId, ids[2]);
  strcpy(id, "INBOX/unknown");
  CHECK(px.GetMessage(id, sizeof id) == 0);
  CHECK_TEXT(messageId, "GetPropertyFailed");

  /* A thread that is no runtime thread calls while thread 1 waits. */
  strcpy(helperId, ids[1]);
  pthread_t helper;
  CHECK(pthread_create(&helper, NULL, helperThread, NULL) == 0);
  for (int i = 0; i < 200 && !helperDone; ++i) (void)px.wait_event(20);
  pthread_join(helper, NULL);
  CHECK(helperDone && helperResult == 1);
  CHECK_TEXT(subject, "Second");
}

static void attachments(char ids[][256]) {
  List list;
  listInit(&list, 40);
  char id[256];
  strcpy(id, ids[0]);
  CHECK(px.LoadAttachments(id, sizeof id, &list.q) == 1);
  CHECK(list.count == 2);
  CHECK(entryIs(&list, 1, "invoice.pdf"));
  CHECK(entryIs(&list, 2, "photo.jpg"));
  CHECK_TEXT(attachmentFile, "photo.jpg");
  CHECK_TEXT(subject, "First");
  CHECK(px.LoadAttachments(id, sizeof id, &list.q) == 1); /* the list is not emptied first */
  CHECK(list.count == 4);
  strcpy(id, ids[1]);
  CHECK(px.LoadAttachments(id, sizeof id, &list.q) == 1); /* none: true, nothing added */
  CHECK(list.count == 4);
  listFree(&list);

  /* Extracted byte for byte; the folder gets its "/". */
  char folder[256];
  char file[64] = "";
  snprintf(folder, sizeof folder, "%s", at("out"));
  writeText(at("out/invoice.pdf"), "an older file");
  strcpy(id, ids[0]);
  CHECK(px.ExtractAttachment(id, sizeof id, 1, folder, sizeof folder, file, sizeof file) == 1);
  CHECK_TEXT(folder, at("out/"));
  CHECK_TEXT(attachmentFile, "invoice.pdf");
  size_t size = 0;
  char* data = readFile(at("out/invoice.pdf"), &size);
  CHECK(data && size == sizeof blobA && memcmp(data, blobA, size) == 0);
  free(data);

  strcpy(file, "renamed, (2).jpg");
  CHECK(px.ExtractAttachment(id, sizeof id, 2, folder, sizeof folder, file, sizeof file) == 1);
  CHECK_TEXT(folder, at("out/")); /* ends in "/" already: unchanged */
  data = readFile(at("out/renamed, (2).jpg"), &size);
  CHECK(data && size == sizeof blobB && memcmp(data, blobB, size) == 0);
  free(data);

  /* Nothing written: false. */
  file[0] = '\0';
  CHECK(px.ExtractAttachment(id, sizeof id, 9, folder, sizeof folder, file, sizeof file) == 0);
  snprintf(folder, sizeof folder, "%s", at("missing/folder"));
  CHECK(px.ExtractAttachment(id, sizeof id, 1, folder, sizeof folder, file, sizeof file) == 0);
  strcpy(id, "INBOX/unknown");
  CHECK(px.ExtractAttachment(id, sizeof id, 1, folder, sizeof folder, file, sizeof file) == 0);
  CHECK(countFiles(at("out"), "") == 2);
}

static void deleting(char ids[][256]) {
  char id[256];
  strcpy(id, ids[2]);
  CHECK(px.DeleteMessage(id, sizeof id) == 1);
  CHECK_TEXT(messageId, ""); /* the delete's answer: a walk starts again */
  CHECK(px.DeleteMessage(id, sizeof id) == 0);
  CHECK_TEXT(messageId, "GetPropertyFailed");
  char seen[8][256];
  CHECK(walkInbox(seen) == 2);
  CHECK(countFiles(at("config/Mail/.Trash/cur"), "1020672120") == 1);
}

static void sending(void) {
  /* One recipient, one attachment from the attachment variable. */
  strcpy(recipient, "Ann Client");
  strcpy(subject, "Re: First");
  strcpy(text, "Thanks for the invoice.");
  snprintf(attachmentFile, sizeof attachmentFile, "%s", at("report.txt"));
  CHECK(px.SendMail(NULL, 0, NULL, 0, NULL) == 1);
  CHECK(countFiles(at("sent"), "mail.") == 2); /* the message and its arguments */
  char* args = NULL;
  char* sent = lastSent(&args);
  CHECK(strstr(sent, "Subject: Re: First") != NULL);
  CHECK(strstr(sent, "To: Ann Client <ann@example.com>") != NULL);
  CHECK(strstr(sent, "report.txt") != NULL);
  CHECK(strstr(args, "-- ann@example.com") != NULL);
  free(sent);
  free(args);

  /* An unknown single recipient: false, nothing sent. */
  strcpy(recipient, "Nobody");
  attachmentFile[0] = '\0';
  CHECK(px.SendMail(NULL, 0, NULL, 0, NULL) == 0);
  CHECK(countFiles(at("sent"), "mail.") == 2);

  /* From lists: the unknown recipient is left out, the rest get it. */
  List to, files;
  listInit(&to, PX_RECIPIENT_ENTRY_SIZE);
  listInit(&files, PX_ATTACHMENT_ENTRY_SIZE);
  addRecipient(&to, "to:", "Ann Client");
  addRecipient(&to, "CC:", "Nobody Known");
  addRecipient(&to, "BCC:", "bob@example.com");
  addAttachment(&files, at("report.txt"));
  addAttachment(&files, at("scan.bin"));
  strcpy(subject, "To the list");
  CHECK(px.SendMail(NULL, 1, &to.q, 1, &files.q) == 1);
  CHECK(countFiles(at("sent"), "mail.") == 4);
  sent = lastSent(&args);
  CHECK(strstr(sent, "Subject: To the list") != NULL);
  CHECK(strstr(sent, "ann@example.com") != NULL);
  CHECK(strstr(sent, "Nobody") == NULL);
  CHECK(strstr(sent, "report.txt") != NULL);
  CHECK(strstr(sent, "scan.bin") != NULL);
  CHECK(strstr(sent, "bob@example.com") == NULL); /* blind copy: on the envelope only */
  CHECK(strstr(args, "ann@example.com") != NULL);
  CHECK(strstr(args, "bob@example.com") != NULL);
  free(sent);
  free(args);

  /* Every recipient unknown: false, nothing sent. */
  List nobody;
  listInit(&nobody, PX_RECIPIENT_ENTRY_SIZE);
  addRecipient(&nobody, "TO:", "Nobody Known");
  CHECK(px.SendMail(NULL, 1, &nobody.q, 0, NULL) == 0);
  CHECK(countFiles(at("sent"), "mail.") == 4);

  /* Lists of another layout are refused. */
  List odd;
  listInit(&odd, PX_RECIPIENT_ENTRY_SIZE - 1);
  CHECK(px.SendMail(NULL, 1, &odd.q, 0, NULL) == 0);
  CHECK(px.SendMail(NULL, 1, &to.q, 1, &odd.q) == 0);
  CHECK(countFiles(at("sent"), "mail.") == 4);

  /* The transport refuses: false. */
  writeText(at("fail"), "");
  strcpy(recipient, "ann@example.com");
  CHECK(px.SendMail(NULL, 0, NULL, 0, NULL) == 0);
  unlink(at("fail"));
  CHECK(countFiles(at("sent"), "mail.") == 4);

  /* The sent copies are in Sent, which a walk by its name reads. */
  strcpy(messageId, "");
  CHECK(px.ReadMail("Sent", messageId, sizeof messageId, 0, NULL, 0) == 1);
  CHECK_TEXT(subject, "Re: First");
  CHECK(strncmp(messageId, ".Sent/", 6) == 0);
  CHECK_TEXT(sender, "helpdesk@example.org");
  CHECK(attachmentCount == 1);

  listFree(&to);
  listFree(&files);
  listFree(&nobody);
  listFree(&odd);
}

static void addressBook(void) {
  List chosen;
  listInit(&chosen, 3 * 256);
  listAdd(&chosen); /* emptied by the answer */
  char* cls = chosen.q.buffer;
  char* name = cls + 256;
  char* address = cls + 512;
  px.AddressDialog("Send to", 2, &chosen.q, cls, 256, name, 256, address, 256);
  CHECK(chosen.count == 2);
  if (chosen.count == 2) {
    CHECK_TEXT(entry(&chosen, 1), "To:");
    CHECK_TEXT(entry(&chosen, 1) + 256, "Ann Client");
    CHECK_TEXT(entry(&chosen, 1) + 512, "ann@example.com");
    CHECK_TEXT(entry(&chosen, 2), "CC:");
    CHECK_TEXT(entry(&chosen, 2) + 512, "bob@example.com");
  }
  /* The script has no second answer: cancelled, the list stays as it was. */
  px.AddressDialog("", 0, &chosen.q, cls, 256, name, 256, address, 256);
  CHECK(chosen.count == 2);
  listFree(&chosen);
}

static void folders(void) {
  makeDir(at("config/Mail/.Clients.Acme"));
  makeDir(at("config/Mail/.Clients.Acme/cur"));
  makeDir(at("config/Mail/.Clients.Acme/new"));
  makeDir(at("config/Mail/.Clients.Acme/tmp"));
  writeText(at("config/Mail/.Clients.Acme/new/1020672300.M1P1Q9.test"),
            "From: frank@example.com\nSubject: For Acme\n\nacme\n");
  px.LoadFolders(); /* the list was built by the first walk by name: kept */
  strcpy(messageId, "");
  CHECK(px.ReadMail("acme", messageId, sizeof messageId, 0, NULL, 0) == 0);
  px.Logoff(); /* empties the folder list; the session is gone */
  strcpy(messageId, "");
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);
  CHECK_TEXT(messageId, "GetPropertyFailed");
}

static void life(void) {
  beforeLogon();
  logon("");
  char ids[3][256];
  walkAndRead(ids);
  attachments(ids);
  deleting(ids);
  sending();
  addressBook();
  folders();
}

static void missingProfile(void) {
  registerMessageVariables();
  logon("Nowhere");
  strcpy(messageId, "");
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);
  CHECK_TEXT(messageId, "GetPropertyFailed");
  CHECK_TEXT(subject, "GetPropertyFailed");
  strcpy(recipient, "ann@example.com");
  CHECK(px.SendMail(NULL, 0, NULL, 0, NULL) == 0);
  CHECK(countFiles(at("sent"), "mail.") == 0);
  px.Logoff();
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s LIBRARY life|missing-profile\n", argv[0]);
    return 2;
  }
  setUp(argv[2]);
  void* lib = loadLibrary(argv[1]);
  checkOrdinals(lib);

  px.host_begin();
  if (strcmp(argv[2], "life") == 0)
    life();
  else
    missingProfile();
  px.host_end();
  CHECK(px.wait_event(0) == TRVRT_EVENT_CLOSE_DOWN);
  CHECK(px.ReadMail("", messageId, sizeof messageId, 1, NULL, 0) == 0);

  if (dlclose(lib) != 0) {
    fprintf(stderr, "dlclose: %s\n", dlerror());
    ++failures;
  }
  tearDown();
  if (failures) fprintf(stderr, "%d checks failed\n", failures);
  return failures ? 1 : 0;
}
