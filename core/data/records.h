#pragma once
// The packed records of the eight data files.
//
// Each struct is the exact byte image of one record as it is stored: fields in order, no
// padding, at the offsets checked below. Text fields are Windows-1252 (FixedString is
// blank-padded, CString zero-ended). A default-constructed record is the cleared record: text
// blank (or empty), numbers 0. Records are trivially copyable, so a record is its bytes.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "runtime/text/fixed_string.h"

namespace trv::core {

using text::CString;
using text::FixedString;

#pragma pack(push, 1)

// Sercase: one help-desk case.
struct SercaseRecord {
  std::int32_t IDkey;
  std::uint16_t UpdateFlag;  // 0 seen by the owner, 1 changed by another agent, 2 on hold
  std::uint32_t CaseNr;      // auto-numbered
  FixedString<6> SName;      // client short name
  FixedString<50> LName;
  FixedString<16> Phone;
  FixedString<50> Product;
  FixedString<16> IDProduct;
  FixedString<80> SProblem;
  std::uint8_t ProblemFix;  // 1 from the problem list, 2 free text
  FixedString<7> Priority;  // "High", "Medium", "Minimal"
  std::uint8_t PriorityFix;
  FixedString<20> Owner;
  std::int32_t SDate;
  std::int32_t STime;
  std::int32_t FirstEscDate;
  std::int32_t FirstEscTime;
  FixedString<1> FirstAction;  // "N" open, "D" done
  std::int32_t SecEscDate;
  std::int32_t SecEscTime;
  FixedString<1> SecAction;
  std::int32_t ThirdEscDate;
  std::int32_t ThirdEscTime;
  FixedString<1> ThirdAction;
  FixedString<7> Status;  // "Active", "On Hold", "Closed"
  std::int32_t Cdate;     // date the case was closed

  SercaseRecord()
      : IDkey(0),
        UpdateFlag(0),
        CaseNr(0),
        ProblemFix(0),
        PriorityFix(0),
        SDate(0),
        STime(0),
        FirstEscDate(0),
        FirstEscTime(0),
        SecEscDate(0),
        SecEscTime(0),
        ThirdEscDate(0),
        ThirdEscTime(0),
        Cdate(0) {}
};

// Archive: a knowledge-base entry, the first 299 bytes of a case record.
struct ArchiveRecord {
  std::int32_t IDKEY;
  std::uint16_t UPDATEFLAG;
  std::uint32_t CASENR;
  FixedString<6> SNAME;
  FixedString<50> LNAME;
  FixedString<16> PHONE;
  FixedString<50> Product;
  FixedString<16> IDPRODUCT;
  FixedString<80> SProblem;
  std::uint8_t PROBLEMFIX;
  FixedString<7> PRIORITY;
  std::uint8_t PRIORITYFIX;
  FixedString<20> OWNER;
  std::int32_t SDATE;
  std::int32_t STIME;
  std::int32_t FIRSTESCDATE;
  std::int32_t FIRSTESCTIME;
  FixedString<1> FIRSTACTION;
  std::int32_t SECESCDATE;
  std::int32_t SECESCTIME;
  FixedString<1> SECACTION;
  std::int32_t THIRDESCDATE;
  std::int32_t THIRDESCTIME;
  FixedString<1> THIRDACTION;
  FixedString<7> STATUS;

  ArchiveRecord()
      : IDKEY(0),
        UPDATEFLAG(0),
        CASENR(0),
        PROBLEMFIX(0),
        PRIORITYFIX(0),
        SDATE(0),
        STIME(0),
        FIRSTESCDATE(0),
        FIRSTESCTIME(0),
        SECESCDATE(0),
        SECESCTIME(0),
        THIRDESCDATE(0),
        THIRDESCTIME(0) {}
};

// Client.
struct ClientRecord {
  FixedString<6> SName;
  FixedString<50> LName;
  FixedString<30> Contact;
  FixedString<16> Phone;
  CString<100> Email;
  FixedString<7> Priority;
  std::uint8_t PriorityFix;  // the client's priority is forced onto its cases
  FixedString<30> Address;
  FixedString<10> ZIPCode;
  FixedString<30> City;
  FixedString<30> State;
  FixedString<20> Phone2;
  CString<30> Fax;
  FixedString<255> Remarks;
  std::uint8_t ResByte1;
  std::uint8_t ResByte2;
  FixedString<255> ResString;
  CString<255> ResCString;

  ClientRecord() : PriorityFix(0), ResByte1(0), ResByte2(0) {}
};

// Ide: one user.
struct IdeRecord {
  std::uint16_t IdNr;  // auto-numbered
  FixedString<20> Name;
  FixedString<20> PassWord;
  std::uint8_t LogIn;
  FixedString<13> Qualification;  // "User", "Supervisor", "Administrator"
  std::uint8_t Level;             // 0 User, 1 Supervisor, 2 Administrator
  FixedString<20> Greet;
  FixedString<30> FullName;
  FixedString<30> Position;
  FixedString<50> Company;
  CString<100> Email;
  FixedString<30> Phone;
  CString<30> Fax;

  IdeRecord() : IdNr(0), LogIn(0), Level(0) {}
};

// Sla: a product with its service level.
struct SlaRecord {
  FixedString<16> IDProduct;
  FixedString<7> Priority;
  std::uint8_t PriorityFix;  // the product's priority is forced onto its cases
  std::uint8_t ResByte1;
  std::uint8_t ResByte2;
  std::int32_t ResLong1;
  std::int32_t ResLong2;
  FixedString<50> Product;
  std::int32_t Respons;
  std::int32_t FirstEsc;
  std::int32_t FirstEscDays;
  std::int32_t FirstEscMargin;
  std::int32_t SecEscDays;
  std::int32_t SecEsc;
  std::int32_t SecEscMargin;
  std::int32_t ThdEsc;
  std::int32_t ThirdEscDays;
  std::int32_t ThirdEscMargin;
  std::uint8_t ServiceShift;
  std::int32_t ServiceStart;
  std::int32_t ServiceEnd;
  FixedString<30> LName;

  SlaRecord()
      : PriorityFix(0),
        ResByte1(0),
        ResByte2(0),
        ResLong1(0),
        ResLong2(0),
        Respons(0),
        FirstEsc(0),
        FirstEscDays(0),
        FirstEscMargin(0),
        SecEscDays(0),
        SecEsc(0),
        SecEscMargin(0),
        ThdEsc(0),
        ThirdEscDays(0),
        ThirdEscMargin(0),
        ServiceShift(0),
        ServiceStart(0),
        ServiceEnd(0) {}
};

// Problem: a predefined problem text.
struct ProblemRecord {
  FixedString<50> PROBLEM;
};

// Log: one activity-log entry.
struct LogRecord {
  std::uint32_t NR;  // auto-numbered
  std::uint16_t ID;  // number of the user who acted
  FixedString<20> NAME;
  std::uint32_t CASENR;  // 0 when no case is concerned
  FixedString<7> ACTION;
  std::int32_t ActionDate;
  std::int32_t ActionTime;

  LogRecord() : NR(0), ID(0), CASENR(0), ActionDate(0), ActionTime(0) {}
};

// Sys: the one system-configuration record (ID 1).
struct SysRecord {
  std::uint8_t ID;
  std::uint8_t DoLog;
  std::int32_t HowLong;
  std::int32_t LastLogDate;
  std::int32_t LastLogTime;
  std::uint8_t DoBackup;
  std::uint8_t BackUpFlag;
  std::int32_t BackUpDays;
  CString<256> PathBackupFiles;
  std::int32_t LastBackUpDate;
  std::int32_t LastBackUpTime;
  std::int32_t BackUpTime;
  std::uint8_t ViewFlag2;
  std::uint8_t RefreshInterval;  // 1, 2 or 3: rescan after 30, 60 or 90 seconds
  std::uint8_t Server;
  std::uint8_t DeleteClosed;
  std::uint8_t DeleteDays;
  std::int32_t DeleteTime;
  std::uint8_t Server2;
  std::uint8_t PROBLEMFIX;  // 1 from the list, 2 free text
  std::uint8_t ResByte1;
  std::uint8_t ResByte2;
  std::int32_t ResLong1;
  std::int32_t ResLong2;
  FixedString<255> ResString;
  CString<255> ResCString;

  SysRecord()
      : ID(0),
        DoLog(0),
        HowLong(0),
        LastLogDate(0),
        LastLogTime(0),
        DoBackup(0),
        BackUpFlag(0),
        BackUpDays(0),
        LastBackUpDate(0),
        LastBackUpTime(0),
        BackUpTime(0),
        ViewFlag2(0),
        RefreshInterval(0),
        Server(0),
        DeleteClosed(0),
        DeleteDays(0),
        DeleteTime(0),
        Server2(0),
        PROBLEMFIX(0),
        ResByte1(0),
        ResByte2(0),
        ResLong1(0),
        ResLong2(0) {}
};

#pragma pack(pop)

// Layout checks: a wrong width or order here would corrupt every stored record.
#define TRV_AT(R, f, off) static_assert(offsetof(R, f) == (off), #R "::" #f)

static_assert(sizeof(SercaseRecord) == 303);
TRV_AT(SercaseRecord, IDkey, 0);
TRV_AT(SercaseRecord, UpdateFlag, 4);
TRV_AT(SercaseRecord, CaseNr, 6);
TRV_AT(SercaseRecord, SName, 10);
TRV_AT(SercaseRecord, LName, 16);
TRV_AT(SercaseRecord, Phone, 66);
TRV_AT(SercaseRecord, Product, 82);
TRV_AT(SercaseRecord, IDProduct, 132);
TRV_AT(SercaseRecord, SProblem, 148);
TRV_AT(SercaseRecord, ProblemFix, 228);
TRV_AT(SercaseRecord, Priority, 229);
TRV_AT(SercaseRecord, PriorityFix, 236);
TRV_AT(SercaseRecord, Owner, 237);
TRV_AT(SercaseRecord, SDate, 257);
TRV_AT(SercaseRecord, STime, 261);
TRV_AT(SercaseRecord, FirstEscDate, 265);
TRV_AT(SercaseRecord, FirstEscTime, 269);
TRV_AT(SercaseRecord, FirstAction, 273);
TRV_AT(SercaseRecord, SecEscDate, 274);
TRV_AT(SercaseRecord, SecEscTime, 278);
TRV_AT(SercaseRecord, SecAction, 282);
TRV_AT(SercaseRecord, ThirdEscDate, 283);
TRV_AT(SercaseRecord, ThirdEscTime, 287);
TRV_AT(SercaseRecord, ThirdAction, 291);
TRV_AT(SercaseRecord, Status, 292);
TRV_AT(SercaseRecord, Cdate, 299);

static_assert(sizeof(ArchiveRecord) == 299);
TRV_AT(ArchiveRecord, IDKEY, 0);
TRV_AT(ArchiveRecord, UPDATEFLAG, 4);
TRV_AT(ArchiveRecord, CASENR, 6);
TRV_AT(ArchiveRecord, SNAME, 10);
TRV_AT(ArchiveRecord, LNAME, 16);
TRV_AT(ArchiveRecord, PHONE, 66);
TRV_AT(ArchiveRecord, Product, 82);
TRV_AT(ArchiveRecord, IDPRODUCT, 132);
TRV_AT(ArchiveRecord, SProblem, 148);
TRV_AT(ArchiveRecord, PROBLEMFIX, 228);
TRV_AT(ArchiveRecord, PRIORITY, 229);
TRV_AT(ArchiveRecord, PRIORITYFIX, 236);
TRV_AT(ArchiveRecord, OWNER, 237);
TRV_AT(ArchiveRecord, SDATE, 257);
TRV_AT(ArchiveRecord, STIME, 261);
TRV_AT(ArchiveRecord, FIRSTESCDATE, 265);
TRV_AT(ArchiveRecord, FIRSTESCTIME, 269);
TRV_AT(ArchiveRecord, FIRSTACTION, 273);
TRV_AT(ArchiveRecord, SECESCDATE, 274);
TRV_AT(ArchiveRecord, SECESCTIME, 278);
TRV_AT(ArchiveRecord, SECACTION, 282);
TRV_AT(ArchiveRecord, THIRDESCDATE, 283);
TRV_AT(ArchiveRecord, THIRDESCTIME, 287);
TRV_AT(ArchiveRecord, THIRDACTION, 291);
TRV_AT(ArchiveRecord, STATUS, 292);

static_assert(sizeof(ClientRecord) == 1127);
TRV_AT(ClientRecord, SName, 0);
TRV_AT(ClientRecord, LName, 6);
TRV_AT(ClientRecord, Contact, 56);
TRV_AT(ClientRecord, Phone, 86);
TRV_AT(ClientRecord, Email, 102);
TRV_AT(ClientRecord, Priority, 202);
TRV_AT(ClientRecord, PriorityFix, 209);
TRV_AT(ClientRecord, Address, 210);
TRV_AT(ClientRecord, ZIPCode, 240);
TRV_AT(ClientRecord, City, 250);
TRV_AT(ClientRecord, State, 280);
TRV_AT(ClientRecord, Phone2, 310);
TRV_AT(ClientRecord, Fax, 330);
TRV_AT(ClientRecord, Remarks, 360);
TRV_AT(ClientRecord, ResByte1, 615);
TRV_AT(ClientRecord, ResByte2, 616);
TRV_AT(ClientRecord, ResString, 617);
TRV_AT(ClientRecord, ResCString, 872);

static_assert(sizeof(IdeRecord) == 347);
TRV_AT(IdeRecord, IdNr, 0);
TRV_AT(IdeRecord, Name, 2);
TRV_AT(IdeRecord, PassWord, 22);
TRV_AT(IdeRecord, LogIn, 42);
TRV_AT(IdeRecord, Qualification, 43);
TRV_AT(IdeRecord, Level, 56);
TRV_AT(IdeRecord, Greet, 57);
TRV_AT(IdeRecord, FullName, 77);
TRV_AT(IdeRecord, Position, 107);
TRV_AT(IdeRecord, Company, 137);
TRV_AT(IdeRecord, Email, 187);
TRV_AT(IdeRecord, Phone, 287);
TRV_AT(IdeRecord, Fax, 317);

static_assert(sizeof(SlaRecord) == 163);
TRV_AT(SlaRecord, IDProduct, 0);
TRV_AT(SlaRecord, Priority, 16);
TRV_AT(SlaRecord, PriorityFix, 23);
TRV_AT(SlaRecord, ResByte1, 24);
TRV_AT(SlaRecord, ResByte2, 25);
TRV_AT(SlaRecord, ResLong1, 26);
TRV_AT(SlaRecord, ResLong2, 30);
TRV_AT(SlaRecord, Product, 34);
TRV_AT(SlaRecord, Respons, 84);
TRV_AT(SlaRecord, FirstEsc, 88);
TRV_AT(SlaRecord, FirstEscDays, 92);
TRV_AT(SlaRecord, FirstEscMargin, 96);
TRV_AT(SlaRecord, SecEscDays, 100);
TRV_AT(SlaRecord, SecEsc, 104);
TRV_AT(SlaRecord, SecEscMargin, 108);
TRV_AT(SlaRecord, ThdEsc, 112);
TRV_AT(SlaRecord, ThirdEscDays, 116);
TRV_AT(SlaRecord, ThirdEscMargin, 120);
TRV_AT(SlaRecord, ServiceShift, 124);
TRV_AT(SlaRecord, ServiceStart, 125);
TRV_AT(SlaRecord, ServiceEnd, 129);
TRV_AT(SlaRecord, LName, 133);

static_assert(sizeof(ProblemRecord) == 50);
TRV_AT(ProblemRecord, PROBLEM, 0);

static_assert(sizeof(LogRecord) == 45);
TRV_AT(LogRecord, NR, 0);
TRV_AT(LogRecord, ID, 4);
TRV_AT(LogRecord, NAME, 6);
TRV_AT(LogRecord, CASENR, 26);
TRV_AT(LogRecord, ACTION, 30);
TRV_AT(LogRecord, ActionDate, 37);
TRV_AT(LogRecord, ActionTime, 41);

static_assert(sizeof(SysRecord) == 819);
TRV_AT(SysRecord, ID, 0);
TRV_AT(SysRecord, DoLog, 1);
TRV_AT(SysRecord, HowLong, 2);
TRV_AT(SysRecord, LastLogDate, 6);
TRV_AT(SysRecord, LastLogTime, 10);
TRV_AT(SysRecord, DoBackup, 14);
TRV_AT(SysRecord, BackUpFlag, 15);
TRV_AT(SysRecord, BackUpDays, 16);
TRV_AT(SysRecord, PathBackupFiles, 20);
TRV_AT(SysRecord, LastBackUpDate, 276);
TRV_AT(SysRecord, LastBackUpTime, 280);
TRV_AT(SysRecord, BackUpTime, 284);
TRV_AT(SysRecord, ViewFlag2, 288);
TRV_AT(SysRecord, RefreshInterval, 289);
TRV_AT(SysRecord, Server, 290);
TRV_AT(SysRecord, DeleteClosed, 291);
TRV_AT(SysRecord, DeleteDays, 292);
TRV_AT(SysRecord, DeleteTime, 293);
TRV_AT(SysRecord, Server2, 297);
TRV_AT(SysRecord, PROBLEMFIX, 298);
TRV_AT(SysRecord, ResByte1, 299);
TRV_AT(SysRecord, ResByte2, 300);
TRV_AT(SysRecord, ResLong1, 301);
TRV_AT(SysRecord, ResLong2, 305);
TRV_AT(SysRecord, ResString, 309);
TRV_AT(SysRecord, ResCString, 564);

#undef TRV_AT

static_assert(std::is_trivially_copyable_v<SercaseRecord> &&
              std::is_trivially_copyable_v<ArchiveRecord> &&
              std::is_trivially_copyable_v<ClientRecord> &&
              std::is_trivially_copyable_v<IdeRecord> && std::is_trivially_copyable_v<SlaRecord> &&
              std::is_trivially_copyable_v<ProblemRecord> &&
              std::is_trivially_copyable_v<LogRecord> && std::is_trivially_copyable_v<SysRecord>);

}  // namespace trv::core
