#pragma once
// What the frame keeps for its life and hands to its timed and closing jobs: the signed-on
// user, its copies of the system record and its own buffer of the Sys file.
//
// The frame owns one FrameState and passes it to every job call on its own thread; the jobs
// read it and update the copies and the buffer where their description says so.

#include <cstdint>
#include <string>

#include "core/data/records.h"

namespace trv::core::jobs {

// The frame's copies of the system record, taken whenever it reads the record.
struct SystemCopies {
  std::uint8_t SysDoLog = 0;
  std::uint8_t SysRefreshInterval = 0;
  std::uint8_t SysViewFlag2 = 0;
  std::uint8_t SysDoBackup = 0;
  std::uint8_t SysBackUpDays = 0;  // the low byte of Sys:BackUpDays
  std::int32_t SysBackUpTime = 0;
  std::uint8_t SysServer = 0;  // backup server option
  std::uint8_t SysDeleteClosed = 0;
  std::uint8_t SysServer2 = 0;  // deletion server option
  std::uint8_t SysDeleteDays = 0;
  std::int32_t SysDeleteTime = 0;
  std::uint8_t SysProblemFix = 0;

  static SystemCopies of(const SysRecord& sys);
};

struct FrameState {
  bool signedOnMark = false;  // a user has signed on in this run
  bool loggedOut = false;     // LoggedOut: signed out after a log-out
  std::uint16_t userNumber = 0;
  std::string userName;        // CurrentUserName
  std::uint8_t userLevel = 0;  // 0 User, 1 Supervisor, 2 Administrator
  SystemCopies copies;
  // The frame's buffer of the Sys file. Its BackUpFlag tells that a timed backup has been made
  // since the record was last read.
  SysRecord sys;

  bool signedOn() const { return signedOnMark && !loggedOut; }
};

}  // namespace trv::core::jobs
