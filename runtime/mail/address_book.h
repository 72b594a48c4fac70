#pragma once
// The workstation's address book: a plain UTF-8 file, one entry a line, written as
// "Name <local@domain>" or as a bare address; blank lines and lines starting with "#" are
// skipped. Names and addresses are handed out in the records' charset (Windows-1252).
//
// Loading never fails on a bad line: the line is left out and reported in problems, so one
// typing error does not hide the rest of the book. Thread-safe (no shared state).

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trv::mail {

struct AddressEntry {
  std::string name;     // Windows-1252; the address when the line gives no name
  std::string address;  // "local@domain"
  friend bool operator==(const AddressEntry&, const AddressEntry&) = default;
};

struct AddressBook {
  std::vector<AddressEntry> entries;
  std::vector<std::string> problems;  // "line 4: \"bob@\" is not an address"

  // Entries whose name or address equals text, without regard to letter case.
  std::vector<AddressEntry> lookup(std::string_view text) const;
};

// Parses the text of an address-book file.
AddressBook parseAddressBook(std::string_view utf8Text);

// Reads an address-book file; a missing file is an empty book without problems, an
// unreadable one an empty book with the reason in problems.
AddressBook loadAddressBook(const std::filesystem::path& file);

}  // namespace trv::mail
