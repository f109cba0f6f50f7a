// Kavra: a small wrapper of the SQLite (SQLCipher) C interface in four classes.
//
// CDBConnection  one open, encrypted database file
// CDBRecordSet   a forward-only cursor over one compiled statement, stepped in place
// CDBTable       a read-only random-access table over an sqlite3_get_table array
// CDBField       a named-column accessor reading through a record set
//
// Nothing here throws or shows a message: failures come back as result values.
// The library converts no character set: bytes go to SQLite as the caller gives
// them. Values should be bound through CDBParam instead of spliced into SQL text.
#pragma once

#include <cstring>
#include <string>

#if defined(_WIN32)
#if defined(KAVRA_BUILD)
#define KAVRA_API __declspec(dllexport)
#else
#define KAVRA_API __declspec(dllimport)
#endif
#else
#define KAVRA_API __attribute__((visibility("default")))
#endif

struct sqlite3;
struct sqlite3_stmt;

// One value bound to a `?` placeholder. It does not own what it points at: the
// caller keeps the bytes alive until the statement call returns.
struct KAVRA_API CDBParam {
    enum Kind { Null, Text, Blob };
    Kind kind = Null;
    const void* data = nullptr;
    int size = 0;

    static CDBParam null() { return {}; }
    static CDBParam text(const std::string& s) { return {Text, s.data(), int(s.size())}; }
    static CDBParam text(const char* s, int size) { return {Text, s, size}; }
    // A zero-terminated text; a literal binds in place instead of through a
    // temporary std::string that would be gone before the statement runs.
    static CDBParam text(const char* s) { return {Text, s, s ? int(std::strlen(s)) : 0}; }
    static CDBParam blob(const void* bytes, int size) { return {Blob, bytes, size}; }
};

class KAVRA_API CDBRecordSet {
public:
    CDBRecordSet();
    CDBRecordSet(sqlite3_stmt* stmt, bool empty);
    // Copying and assigning transfer the statement; the source is left without one.
    CDBRecordSet(const CDBRecordSet& other);
    CDBRecordSet& operator=(const CDBRecordSet& other);
    virtual ~CDBRecordSet();

    int GetFieldNums();
    int FieldIndex(const char* name);
    const char* FieldName(int i);
    const char* FieldDeclType(int i);
    int FieldDataType(int i);

    const char* FieldValue(int i);
    const char* FieldValue(const char* name);
    int GetIntValue(int i);
    int GetIntValue(const char* name);
    long long GetInt64Value(int i);
    long long GetInt64Value(const char* name);
    double GetDoubleValue(int i);
    double GetDoubleValue(const char* name);
    const char* GetStringValue(int i);
    const char* GetStringValue(const char* name);
    const unsigned char* GetBlobValue(int i, int& size);
    const unsigned char* GetBlobValue(const char* name, int& size);
    bool FieldIsNull(int i);
    bool FieldIsNull(const char* name);

    bool IsEof();
    bool MoveFirst();
    bool Reset(); // the same operation as MoveFirst
    bool MoveNext();
    void FreeRecordSet();
    bool IsOpen();

    // Result code of the last step of this set (SQLITE_ROW, SQLITE_DONE or an
    // error code); 0 before any step.
    int LastStepResult() const { return m_lastStep; }

private:
    friend class CDBConnection;

    bool InRange(int i) const;
    void Take(const CDBRecordSet& other);

    mutable sqlite3_stmt* m_stmt = nullptr;
    bool m_eof = true;
    bool m_startedEmpty = true;
    int m_columns = 0;
    int m_lastStep = 0;
};

class KAVRA_API CDBTable {
public:
    CDBTable();
    CDBTable(char** result, int columns, int rows);
    CDBTable(const CDBTable& other);
    CDBTable& operator=(const CDBTable& other);
    virtual ~CDBTable();

    int GetFieldNums();
    int GetRowNums();
    const char* GetColumnCaption(int i);
    const char* FieldValue(int i);
    const char* FieldValue(const char* name);
    const char* GetStringValue(int i);
    const char* GetStringValue(const char* name);
    int GetIntValue(int i);
    int GetIntValue(const char* name);
    double GetDoubleValue(int i);
    double GetDoubleValue(const char* name);
    bool FieldIsNull(int i);
    bool FieldIsNull(const char* name);

    bool MoveTo(int row);
    bool MoveFirst();
    bool MoveNext();
    bool MovePrive();
    bool MoveLast();
    bool IsBof();
    bool IsEof();
    void FreeTable();
    bool IsOpen();

private:
    int ColumnOf(const char* name) const;
    const char* ValueAt(int column) const;

    mutable char** m_result = nullptr;
    int m_columns = 0;
    int m_rows = 0;
    int m_current = -1;
};

class KAVRA_API CDBConnection {
public:
    CDBConnection();
    CDBConnection(const CDBConnection& other);
    CDBConnection& operator=(const CDBConnection& other);
    virtual ~CDBConnection();

    int Open(const char* path);
    void Close();
    void SetBusyTimeOut(int ms);
    int GetBusyTimeOut();
    int GetLastInserRowID();
    long long GetLastInsertRowID();
    bool TableExists(const char* name);

    CDBRecordSet ExecuteQuery(const char* sql);
    // The same with values bound to the `?` placeholders, in order.
    CDBRecordSet ExecuteQuery(const char* sql, const CDBParam* params, int count);
    int ExecuteCmd(const char* sql);
    bool ExcuteBolbInfo(const char* sql, void* data, int size);
    // The same with values bound to the `?` placeholders, in order; answers
    // whether the statement compiled, bound and stepped without an error.
    bool ExcuteBolbInfo(const char* sql, const CDBParam* params, int count);
    int GetExecScalarRows(const char* sql);
    int CommitBegin();
    int CommitEnd();

    // Outcome of the last ExecuteQuery, ExecuteCmd, ExcuteBolbInfo, CommitBegin
    // or CommitEnd on this connection: 0 (SQLITE_OK) when it compiled and its
    // step ended in a row or in the end of the rows, otherwise the SQLite result
    // code, with SQLite's message. Open failures are reported the same way.
    int LastResultCode() const { return m_lastCode; }
    const std::string& LastErrorMessage() const { return m_lastMessage; }
    bool LastSucceeded() const { return m_lastCode == 0; }
    // Rows changed by the last write (sqlite3_changes); -1 when closed.
    int Changes();
    // The raw handle, for the few callers (benchmarks, tools) that need SQLite itself.
    sqlite3* Handle() { return m_db; }

private:
    bool IsConnected() const;
    sqlite3_stmt* Compile(const char* sql);
    bool Bind(sqlite3_stmt* stmt, const CDBParam* params, int count);
    void Note(int code);
    void NoteText(int code, const char* message);
    CDBRecordSet StepFirst(sqlite3_stmt* stmt);
    int RunPlain(const char* sql);
    // Statements run by ExcuteBolbInfo are kept compiled for the next call with
    // the same text: compiling a wide INSERT costs more than running it.
    struct StatementCache;
    sqlite3_stmt* Prepared(const char* sql);
    void Release(const char* sql, sqlite3_stmt* stmt);
    int RunBlob(const char* sql, const CDBParam* params, int count);

    mutable sqlite3* m_db = nullptr;
    int m_busyTimeout = 60000;
    int m_lastCode = 0;
    std::string m_lastMessage;
    mutable StatementCache* m_cache = nullptr;
};

class KAVRA_API CDBField {
public:
    CDBField();
    CDBField(CDBRecordSet* set, const char* name);
    CDBField(const CDBField& other);
    CDBField& operator=(const CDBField& other);
    virtual ~CDBField();

    // The order of these virtual operations is part of the library's binary interface.
    virtual const char* AsString();
    virtual double AsDouble();
    virtual float AsFloat();
    virtual int AsInt();
    virtual long AsLong();
    virtual unsigned char AsByte();
    virtual short AsShort();
    virtual unsigned long AsULong();
    virtual bool AsBool();

private:
    bool HasValue();
    int IntValue();

    mutable CDBRecordSet* m_set = nullptr;
    mutable const char* m_name = nullptr;
};
