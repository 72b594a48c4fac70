#pragma once
// "MAPI.Session": the messaging automation server, an automation class (runtime/automation)
// over the workstation's mail system (runtime/mail).
//
// Objects and members (names in any letter case):
//   Session      Logon(ProfileName=, ProfilePassword=, ShowDialog=, NewSession=, ParentWindow=),
//                Logoff, Inbox, Outbox, GetFolder(id), GetMessage(id),
//                AddressBook(Title=, RecipLists=, ParentWindow=), Name
//   Folder       ID, Name, Messages, Folders
//   Folders      Count, Item(n), GetFirst, GetNext
//   Messages     Count, Item(n), GetFirst, GetNext, Add (a new message to send)
//   Message      ID, Subject, Text, Sender, Recipients, Attachments, Update, Delete;
//                a new message also sets Subject and Text and has Send(saveCopy, showDialog)
//   Recipients   Count, Item(n); of a new message also Add
//   Recipient    Name, Address, Type (1 To, 2 CC, 3 BCC), Resolve(showDialog), Delete
//   Attachments  Count, Item(n); of a new message also Add
//   Attachment   Name, Source, Type, Position, WriteToFile(path); of a new message also
//                ReadFromFile(path) (set or called), Delete
//   AddressEntry Name, Address, Type
//
// The folder tree is the Maildir of the mail settings: a root (ID "/", no name) holding Inbox
// (the Maildir itself, ID "INBOX"), Outbox, Sent and Trash, then the further Maildir++ folders,
// nested by their "." parts (".Clients.Acme" is Acme inside Clients; IDs are the folder names
// with their leading dot). A message's ID is its folder's ID, "/" and its Maildir identifier.
// GetFolder and GetMessage take the whole text up to their closing parenthesis as the ID (a
// value wholly in double quotes without them); GetFolder("") is the root.
//
// Logon opens the mail settings that the profile names: a blank profile the workstation's own
// (configFolder), any other the folder "profiles/NAME" of configFolder; a missing or unusable
// settings file fails the logon. Each logon and logoff leaves the objects handed out before it
// failing.
//
// Texts (subjects, message texts, names) are in the records' charset (Windows-1252); paths
// (Source, WriteToFile, ReadFromFile) are file-system paths and pass unchanged. Message texts
// end their lines with CR LF. Delete moves a message to Trash; in Trash it removes it.
// WriteToFile writes beside the target and renames over it, so an existing file is replaced
// whole or left as it was. Send hands the message to the mail system's transport (a message
// queued in the outbox counts as sent) and fails, sending nothing, when a recipient is unknown,
// an attachment cannot be read or the transport refuses it.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "runtime/automation/control.h"

namespace trv::text {
class Clock;
}
namespace trv::mail {
class MailDialogs;
class Transport;
}  // namespace trv::mail

namespace trv::messaging {

inline constexpr const char* kMapiSessionClass = "MAPI.Session";

struct MessagingEnvironment {
  std::filesystem::path configFolder;  // the workstation's mail settings; profiles under it
  const text::Clock* clock = nullptr;  // required
  // When set, replaces the configured transport (tests).
  std::shared_ptr<mail::Transport> transport;
  // The address book; without it AddressBook fails. Not owned; must outlive the sessions.
  mail::MailDialogs* dialogs = nullptr;
};

// A new session object, not yet logged on.
automation::ObjectPtr makeMapiSession(MessagingEnvironment env);

// Registers kMapiSessionClass; each object created gets the environment env() gives then.
void registerMapiSession(automation::ClassRegistry& classes,
                         std::function<MessagingEnvironment()> env);

}  // namespace trv::messaging
