#pragma once
// Search ("Extended Search") and SearchResult: cases and knowledge-base entries found by one of
// seven subjects. A case number opens the found case (case form) or entry (knowledge-base view)
// at once; every other subject is searched as "contains", without regard to letter case,
// through every record of the files of the scope, and its hits are listed in SearchResult, from
// which each opens in the case form or the view.
//
// Both run on their caller's thread. The search reads a batch of records at a time and lets
// its window's events through between batches, with the progress bar showing how far it is.

#include <cstdint>
#include <string>
#include <string_view>

#include "cases/search/search_hits.h"

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the search window (9 to 14 are not used).
enum SearchControl : int {
  SearchSubjectGroup = 1,
  SearchFirstChoice = 2,  // 2 to 8: the subjects in SearchSubject order
  SearchProgress = 15,
  SearchPhrasePrompt = 16,
  SearchPhrase = 17,
  SearchGo = 18,
  SearchNew = 19,
  SearchCancel = 20,
  SearchHelp = 21,
};

// Control numbers of the search result window.
enum SearchResultControl : int {
  ResultList = 1,
  ResultPrint = 2,  // never shown
  ResultProperties = 3,
  ResultClose = 4,
  ResultHelp = 5,
};

// The search window over scope "1" (the case file), "2" (the knowledge base) or "0" (both, the
// case file first); any other scope finds nothing.
void Search(core::ProgramState& state, std::string_view scope);

// Lists `hits` (sorted by the subject's column on opening); `phrase` is Windows-1252.
void SearchResult(core::ProgramState& state, SearchHits& hits, std::string_view phrase,
                  std::string_view label);

// The result window's title.
std::string resultTitle(std::string_view label, std::string_view phrase, std::size_t count);

// Registers "Search" (argument: the scope), run on its caller's thread.
void registerSearch(core::ProgramState& state);

}  // namespace trv::cases
