#pragma once
// The search-result list SEA and what fills it: the search subjects, the "contains" test and
// the order of the hits.
//
// Texts are Windows-1252, as in the records they come from. Pure and thread-free; the search
// window and its result list share one list on one thread.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv::cases {

// The subjects in the order of the search window's choices (choice k is control k + 1).
enum class SearchSubject : int {
  None = 0,
  CaseNr = 1,
  ClientId = 2,
  ClientName = 3,
  ProductId = 4,
  Product = 5,
  Problem = 6,
  History = 7,
};

// "Client ID", "Client Name", "Product ID", "Product", "Problem", "Case History"; empty for the
// case number and for no subject.
std::string_view subjectLabel(SearchSubject subject);

// One hit (an entry of SEA). Numbers are kept whole: a search may find more than 65535 hits.
struct SearchHit {
  std::uint32_t NR = 0;      // running hit number within the search, from 1
  std::uint32_t CASENR = 0;  // SER:CaseNr or ARC:CaseNr
  std::string SNAME;         // each clipped
  std::string LNAME;
  std::string IDPRODUCT;
  std::string PRODUCT;
  std::string SPROBLEM;
  std::string FROMFILE;  // "Case" or "Archive"
};

using SearchHits = std::vector<SearchHit>;

// The phrase with its trailing blanks removed, in upper case, anywhere in a text in upper case
// (leading blanks of the phrase count; a field's own trailing blanks are part of its text).
class PhraseMatcher {
 public:
  explicit PhraseMatcher(std::string_view phrase);
  bool empty() const { return phrase_.empty(); }
  bool foundIn(std::string_view text) const;

 private:
  std::string phrase_;  // upper case
  std::array<unsigned char, 256> fold_{};
};

// Sorts the hits by column `column` of the result list (1 "Nr" to 8 "Source"), text without
// regard to letter case; equal values keep their hit order.
void sortHits(SearchHits& hits, int column, bool descending);

// The result list's column that the hits of a search by `label` are sorted on first: the
// subject's own column, else "Nr".
int sortColumnOfLabel(std::string_view label);

// A phrase read as a case number: digits only, blanks around them ignored; anything else
// (or a number too large) is 0, which no case has.
std::uint32_t phraseAsCaseNr(std::string_view phrase);

}  // namespace trv::cases
