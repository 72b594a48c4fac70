#include "cases/search/search_hits.h"

#include <algorithm>
#include <charconv>

#include "runtime/text/charset.h"

namespace trv::cases {

std::string_view subjectLabel(SearchSubject subject) {
  switch (subject) {
    case SearchSubject::ClientId:
      return "Client ID";
    case SearchSubject::ClientName:
      return "Client Name";
    case SearchSubject::ProductId:
      return "Product ID";
    case SearchSubject::Product:
      return "Product";
    case SearchSubject::Problem:
      return "Problem";
    case SearchSubject::History:
      return "Case History";
    default:
      return {};
  }
}

PhraseMatcher::PhraseMatcher(std::string_view phrase) {
  while (!phrase.empty() && phrase.back() == ' ') phrase.remove_suffix(1);
  phrase_ = text::upper1252(phrase);
  for (int c = 0; c < 256; ++c)
    fold_[static_cast<std::size_t>(c)] =
        static_cast<unsigned char>(text::upper1252(static_cast<char>(c)));
}

bool PhraseMatcher::foundIn(std::string_view text) const {
  const std::size_t n = phrase_.size();
  if (n == 0 || text.size() < n) return false;
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const auto* p = reinterpret_cast<const unsigned char*>(phrase_.data());
  const unsigned char first = p[0];
  const std::size_t last = text.size() - n;
  for (std::size_t i = 0; i <= last; ++i) {
    if (fold_[t[i]] != first) continue;
    std::size_t k = 1;
    while (k < n && fold_[t[i + k]] == p[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

namespace {

const std::string& textOf(const SearchHit& h, int column) {
  switch (column) {
    case 3:
      return h.SNAME;
    case 4:
      return h.LNAME;
    case 5:
      return h.IDPRODUCT;
    case 6:
      return h.PRODUCT;
    case 7:
      return h.SPROBLEM;
    default:
      return h.FROMFILE;
  }
}

int compareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(text::upper1252(a[i]));
    const auto y = static_cast<unsigned char>(text::upper1252(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

void sortHits(SearchHits& hits, int column, bool descending) {
  auto compare = [column](const SearchHit& a, const SearchHit& b) {
    if (column == 1) return a.NR < b.NR ? -1 : a.NR > b.NR ? 1 : 0;
    if (column == 2) return a.CASENR < b.CASENR ? -1 : a.CASENR > b.CASENR ? 1 : 0;
    return compareNoCase(textOf(a, column), textOf(b, column));
  };
  std::stable_sort(hits.begin(), hits.end(), [&](const SearchHit& a, const SearchHit& b) {
    const int c = compare(a, b);
    return descending ? c > 0 : c < 0;
  });
}

int sortColumnOfLabel(std::string_view label) {
  if (label == "Client ID") return 3;
  if (label == "Client Name") return 4;
  if (label == "Product ID") return 5;
  if (label == "Product") return 6;
  if (label == "Problem") return 7;
  return 1;
}

std::uint32_t phraseAsCaseNr(std::string_view phrase) {
  while (!phrase.empty() && phrase.front() == ' ') phrase.remove_prefix(1);
  while (!phrase.empty() && phrase.back() == ' ') phrase.remove_suffix(1);
  std::uint32_t n = 0;
  const auto [end, ec] = std::from_chars(phrase.data(), phrase.data() + phrase.size(), n);
  if (phrase.empty() || ec != std::errc{} || end != phrase.data() + phrase.size()) return 0;
  return n;
}

}  // namespace trv::cases
