// Message log: the program's only channel for reporting failures.
//
// Every failure is handed over as a LogEntry; Msg_Write appends one plain-text
// entry (Windows-1252, CR LF line ends) to the log file, opening and closing
// the file for every entry so that other programs may read it at any time.
// A run that writes more than 3000 entries rotates the log to its ".old" file.
#pragma once

#include <cstdint>

// Message kinds, bits of LogEntry::MsgArt.
enum : int32_t {
  DMSG = 1,
  SMSG = 2,
  FMSG = 4,
  WMSG = 8,
  CMSG = 16,
};

struct LogEntry {
  const char* Funktion;  // name of the reporting operation
  const char* Message;   // may be empty
  int32_t MsgArt;        // bit set of kinds
  int32_t ErrorCode;
  const void* Data;      // written after the entry when the kind has DMSG
  uint32_t DataLength;
  const char* SysText;   // carried with SMSG entries, not printed
};

// Sets level and file name (nullptr: "msg.dat"); derives the ".old" name.
// A name longer than 64 characters (62 without an extension) is refused:
// the log then keeps its previous name.
void Msg_Init(int32_t level, const char* file_name);

// Appends one entry; never reports its own failures.
void Msg_Write(const LogEntry* entry);

// Convenience for the program's own reports: kind FMSG.
void Msg_Report(const char* funktion, const char* message, int32_t error_code);

// Entries written since the start or the last rotation (for tests).
int32_t Msg_Count();
// Entries asked for since the start of the process (with a kind the level
// lets through), and how many of them could not be written (those went to
// stderr). A run that reported anything did not do all it was asked.
int32_t Msg_Reported();
int32_t Msg_Unwritten();
// The longest wait for a log file another process holds, per entry (10 s;
// tests make it shorter).
void Msg_SetLockWait(int32_t ms);
// The current log and rotation file names (for tests).
const char* Msg_FileName();
const char* Msg_OldFileName();
