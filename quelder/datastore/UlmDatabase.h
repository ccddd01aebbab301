#pragma once
// The one SQLite database of the connection history and the kept short messages, shared
// by every row class. It is opened once per process and counted: every Open that
// succeeds is matched by a Close, and the last Close lets go of the connection.
//
// Results are SQLite result codes (SQLITE_OK is 0), handed on unchanged.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace UlmDataStore {

inline constexpr int kUserVersion = 1;

// The schema's statements, in the order they are run on a new database.
const std::vector<std::string>& SchemaStatements();

// Fills a new in-memory database's buffer before SQLite first reads it: `size` bytes at
// `*data`, taken from malloc (the file system owns them afterwards). False: start empty.
using MemoryLoadCallback = bool (*)(void** data, std::int64_t* size, void* context);

// Serialises every use of the shared connection, and the open count with it.
class CUlmDBSync {
public:
    CUlmDBSync();
    ~CUlmDBSync();
    CUlmDBSync(const CUlmDBSync&) = delete;
    CUlmDBSync& operator=(const CUlmDBSync&) = delete;

private:
    std::unique_lock<std::recursive_mutex> lock_;
};

class CUlmDatabase {
public:
    // The database in the file at `path`. A missing file is created (mode 0600) with the
    // schema, as is an existing empty one; a file of another user version is left as it
    // is and the open fails (SQLITE_MISMATCH). The journal is a write-ahead log and a
    // busy connection is waited for, so that several programs can share the file.
    static int Open(const std::string& path);
    // The database in memory, through the "ulmmemvfs" file system, with the schema.
    static int OpenInMemory(MemoryLoadCallback load = nullptr, void* context = nullptr);
    static void Close();
    static bool IsOpen();
    // Where the open database lives: its path, or ":ulmmemvfs:" in memory; empty when
    // none is open.
    static std::string Location();

    // The SIM every message query is restricted to.
    static void SetCurrentImsi(const std::string& imsi);
    static std::string CurrentImsi();

    // The last error text of the connection, for logs.
    static std::string LastError();

protected:
    // Only under a CUlmDBSync.
    static sqlite3* Connection();
};

// Times as the database stores them: local time, "%04d-%02d-%02d %02d:%02d:%02d".
struct DbTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const DbTime&) const = default;
};
std::string ToText(const DbTime& time);
// False for a text not of that form.
bool FromText(const std::string& text, DbTime& time);
// Seconds since 1970 to local time, and back.
DbTime FromUnixTime(std::int64_t seconds);
std::int64_t ToUnixTime(const DbTime& time);

} // namespace UlmDataStore
