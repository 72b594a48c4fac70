#pragma once
// How the timed and closing jobs show their messages, and the texts they show.
//
// The frame implements JobMessages with a modal message box (information icon, OK) that waits
// for the user; tests use RecordingJobMessages. The texts are the system's own, exactly.

#include <string>
#include <string_view>
#include <vector>

namespace trv::core::jobs {

inline constexpr std::string_view kAppTitle = "Vorn Trovanel 1.2";

inline constexpr std::string_view kBackupFailedText =
    "Error : BackUp Path/Directory not found ! \r\nPlease consult your System Administrator.";
inline constexpr std::string_view kLogUpdateFailureText = "Activity Log update failure";
inline constexpr std::string_view kCannotRetrieveSystemText =
    "Unable to Retrieve System Configuration";
inline constexpr std::string_view kCannotUpdateSystemText = "Unable to Update System Configuration";
inline constexpr std::string_view kNoSystemRecordText =
    "No Configuration Record (sys.kvx) Available";

class JobMessages {
 public:
  virtual ~JobMessages() = default;
  // Shows `text` under `caption` (empty: no caption) and returns when the user has closed it.
  virtual void show(std::string_view text, std::string_view caption) = 0;
};

// Keeps every message shown, in order.
class RecordingJobMessages final : public JobMessages {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    friend bool operator==(const Shown&, const Shown&) = default;
  };

  void show(std::string_view text, std::string_view caption) override {
    shown.push_back({std::string(text), std::string(caption)});
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Shown& s : shown) out.push_back(s.text);
    return out;
  }

  std::vector<Shown> shown;
};

}  // namespace trv::core::jobs
