// The built-in message table and its block encoding.

#include <array>

#include "runtime/forms/message_catalog.h"

namespace trv::forms {
namespace {

struct Row {
  std::uint16_t id;
  std::uint8_t kind;
  const char* title;
  const char* text;
};

constexpr std::array<Row, 41> kTable{{
    {1, KindNotify, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {2, KindNotify, "Access Denied", "Could not get write access to %File so trying read-only."},
    {3, KindQuestion, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {4, KindNotify, "Record Insert Error",
     "An error was experienced during the creation of a record. Error: %ErrorText."},
    {5, KindNotify, "Add New Record?", "Record match not found, do you wish to add a new one?"},
    {6, KindNotify, "Record Was Not Updated", "This record was changed by another station."},
    {7, KindNotify, "Record Was Not Updated",
     "Sorry. During your Update this record was changed by another station. Those changes will "
     "now be displayed. Please write/paste your update again, if still necessary."},
    {8, KindQuestion, "Changes will be lost!", "Are you sure you want to cancel?"},
    {9, KindQuestion, "Confirm Delete", "Are you sure you want to delete the highlighted record?"},
    {10, KindFatal, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {11, KindNotify, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {12, KindNotify, "Invalid Request", "This form cannot be used to delete a record"},
    {13, KindNotify, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {14, KindNotify, "Field contents error",
     "The value of %Field must be found in the %Message file."},
    {15, KindNotify, "Value Error", "The value of %Field must be in the list : %Message."},
    {16, KindNotify, "Range Error", "The value of %Field must be between %Message."},
    {17, KindNotify, "Range Error", "The value of %Field must be lower than %Message."},
    {18, KindNotify, "Range Error", "The value of %Field must be higher than %Message."},
    {19, KindNotify, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {20, KindNotify, "Invalid Request", "This form cannot be used to insert a record"},
    {21, KindNotify, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {22, KindNotify, "No Records", "There are no records available to process."},
    {23, KindFatal, "File Access Error", "File (%File) could not be opened.  Error: %ErrorText."},
    {24, KindNotify, "Procedure not defined", "The Procedure %Message has not been defined."},
    {25, KindNotify, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {26, KindFatal, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {27, KindNotify, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {28, KindNotify, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {30, KindNotify, "Vorn Trovanel 1.2",
     "This record is referenced in the Case file. This record cannot be deleted while these "
     "references still exist ! "},
    {31, KindNotify, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {32, KindQuestion, "Auto Increment Error",
     "Attempts to automatically number this record have failed.  Error: %ErrorText. Try Again?"},
    {33, KindQuestion, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {34, KindQuestion, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {35, KindQuestion, "Save Record", "Do you want to save the changes to this record?"},
    {36, KindQuestion, "Beginning of File Error",
     "The beginning of the file was encountered. Do you want to start again from the end of the "
     "file?"},
    {37, KindQuestion, "End of File Error",
     "The end of the file was encountered. Do you want to start again from the beginning?"},
    {38, KindNotify, "Invalid Request", "This form cannot be used to update a record"},
    {39, KindProgram, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {40, KindNotify, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {41, KindNotify, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
    // Ours: a record without its key could never be found again (see blank_key.h).
    {42, KindNotify, "Vorn Trovanel 1.2",
     "%Field must be filled in: a record without it could never be found again, so it has not "
     "been saved."},
}};

void put16(std::vector<std::uint8_t>& out, std::size_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

}  // namespace

std::vector<std::uint8_t> encodeMessageBlock(const std::vector<MessageEntry>& entries) {
  std::vector<std::uint8_t> out;
  put16(out, entries.size());
  for (const auto& e : entries) {
    put16(out, e.id);
    out.push_back(e.kind);
    for (const std::string* s : {&e.title, &e.text}) {
      put16(out, s->size());
      out.insert(out.end(), s->begin(), s->end());
    }
  }
  return out;
}

bool decodeMessageBlock(std::span<const std::uint8_t> block, std::vector<MessageEntry>& out) {
  std::size_t at = 0;
  auto get16 = [&](std::size_t& v) {
    if (block.size() - at < 2) return false;
    v = block[at] | (static_cast<std::size_t>(block[at + 1]) << 8);
    at += 2;
    return true;
  };
  auto getText = [&](std::string& s) {
    std::size_t n = 0;
    if (!get16(n) || block.size() - at < n) return false;
    s.assign(reinterpret_cast<const char*>(block.data() + at), n);
    at += n;
    return true;
  };
  std::size_t count = 0;
  if (!get16(count)) return false;
  std::vector<MessageEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    MessageEntry e;
    std::size_t id = 0;
    if (!get16(id) || at >= block.size()) return false;
    e.id = static_cast<std::uint16_t>(id);
    e.kind = block[at++];
    if (!getText(e.title) || !getText(e.text)) return false;
    entries.push_back(std::move(e));
  }
  if (at != block.size()) return false;
  out.insert(out.end(), entries.begin(), entries.end());
  return true;
}

std::vector<std::uint8_t> builtInMessageBlock() {
  std::vector<MessageEntry> entries;
  for (const auto& r : kTable) entries.push_back({r.id, r.kind, r.title, r.text});
  return encodeMessageBlock(entries);
}

}  // namespace trv::forms
