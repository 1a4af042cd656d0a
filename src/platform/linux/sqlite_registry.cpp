// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/sqlite_registry.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/paths.h"

namespace qor {
namespace fs = std::filesystem;

namespace {

// Long enough for any other writer's transaction to finish; ours take milliseconds.
constexpr int kBusyTimeoutMs = 5000;

// Schema versions live in PRAGMA user_version; kMigrations[v] brings version v to v + 1.
constexpr int kSchemaVersion = 2;
constexpr const char* kMigrations[kSchemaVersion] = {
    // Keys by normalised path, spelt as first created; the root key itself is id 1, path ''.
    // NOCASE folds ASCII letters only, which is exactly how key paths and value names compare.
    "CREATE TABLE keys ("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,"
    "  path TEXT NOT NULL UNIQUE COLLATE NOCASE);"
    "CREATE INDEX keys_by_parent ON keys(parent);"
    "INSERT INTO keys(id, parent, path) VALUES (1, NULL, '');"
    "CREATE TABLE key_values ("
    "  key_id INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  UNIQUE (key_id, name));",
    // Applications bound to profiles: our own table, so the stored records stay as they are.
    "CREATE TABLE app_bindings ("
    "  app TEXT PRIMARY KEY COLLATE NOCASE,"
    "  profile INTEGER NOT NULL CHECK (profile BETWEEN 1 AND 5));",
};
constexpr sqlite3_int64 kRootKeyId = 1;

// Owns a connection; sqlite3_close_v2 lets statements still alive finish first.
class Db {
 public:
  Db() = default;
  explicit Db(sqlite3* db) : db_(db) {}
  Db(Db&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}
  Db& operator=(Db&& other) noexcept {
    if (this != &other) {
      reset();
      db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
  }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  ~Db() { reset(); }

  void reset() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  sqlite3* get() const { return db_; }
  explicit operator bool() const { return db_ != nullptr; }

 private:
  sqlite3* db_ = nullptr;
};

// Owns a prepared statement. A failed prepare or bind is kept and returned by step(), so
// callers check one result per statement.
class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  Stmt(Stmt&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)), rc_(other.rc_) {}
  Stmt& operator=(Stmt&& other) noexcept {
    if (this != &other) {
      sqlite3_finalize(stmt_);
      stmt_ = std::exchange(other.stmt_, nullptr);
      rc_ = other.rc_;
    }
    return *this;
  }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  ~Stmt() { sqlite3_finalize(stmt_); }

  Stmt& bind(int index, std::string_view text) {
    if (rc_ != SQLITE_OK) return *this;
    // An empty view may carry a null pointer, which SQLite would store as NULL.
    const char* p = text.data() ? text.data() : "";
    return record(sqlite3_bind_text64(stmt_, index, p, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  }
  Stmt& bind(int index, const std::vector<uint8_t>& blob) {
    if (rc_ != SQLITE_OK) return *this;
    if (blob.empty()) return record(sqlite3_bind_zeroblob(stmt_, index, 0));
    return record(sqlite3_bind_blob64(stmt_, index, blob.data(), blob.size(), SQLITE_TRANSIENT));
  }
  Stmt& bind(int index, sqlite3_int64 number) {
    if (rc_ != SQLITE_OK) return *this;
    return record(sqlite3_bind_int64(stmt_, index, number));
  }

  int step() { return rc_ == SQLITE_OK ? sqlite3_step(stmt_) : rc_; }

  sqlite3_int64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
  }
  std::vector<uint8_t> blob(int column) const {
    const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    return p ? std::vector<uint8_t>(p, p + sqlite3_column_bytes(stmt_, column))
             : std::vector<uint8_t>();
  }

 private:
  Stmt& record(int rc) {
    rc_ = rc;
    return *this;
  }

  sqlite3_stmt* stmt_ = nullptr;
  int rc_ = SQLITE_OK;
};

int exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// A BEGIN IMMEDIATE transaction, rolled back unless committed. IMMEDIATE takes the write lock
// up front, where the busy timeout applies; a deferred transaction upgrading to a write could
// fail at once when another process wrote in between.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) {}
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction() {
    if (open_ && !sqlite3_get_autocommit(db_)) exec(db_, "ROLLBACK");
  }

  int begin() {
    int rc = exec(db_, "BEGIN IMMEDIATE");
    open_ = rc == SQLITE_OK;
    return rc;
  }
  int commit() {
    int rc = exec(db_, "COMMIT");
    if (rc == SQLITE_OK) open_ = false;
    return rc;
  }

 private:
  sqlite3* db_;
  bool open_ = false;
};

// One statement, so one snapshot: version 0 beside tables then means another program's file,
// never ours half seen while a second process sets it up.
int readSchemaState(sqlite3* db, int& version, bool& hasTables) {
  Stmt stmt(db,
            "SELECT user_version, (SELECT count(*) FROM sqlite_master) FROM pragma_user_version");
  int rc = stmt.step();
  if (rc != SQLITE_ROW) return rc;
  version = static_cast<int>(stmt.integer(0));
  hasTables = stmt.integer(1) > 0;
  return SQLITE_OK;
}

// Switching to WAL upgrades a read lock to a write lock, where SQLite answers BUSY at once
// instead of waiting, lest two processes doing the same deadlock; wait it out here.
int switchToWal(sqlite3* db) {
  constexpr int kStepMs = 10;
  for (int waited = 0;; waited += kStepMs) {
    int rc = exec(db, "PRAGMA journal_mode = WAL");
    if ((rc & 0xff) != SQLITE_BUSY || waited >= kBusyTimeoutMs) return rc;
    sqlite3_sleep(kStepMs);
  }
}

// "\\Software\\\\Qor\\" -> {"Software", "Qor"}.
std::vector<std::string_view> keyComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string normalisedKeyPath(std::string_view path) {
  std::string joined;
  for (std::string_view part : keyComponents(path)) {
    if (!joined.empty()) joined += '\\';
    joined += part;
  }
  return joined;
}

// The connection's last error in words; for failed file operations the OS reason says more
// than SQLite's "unable to open database file".
std::string cause(sqlite3* db) {
  std::string text = sqlite3_errmsg(db);
  int err = db ? sqlite3_system_errno(db) : 0;
  if (err == 0) return text;
  switch (sqlite3_extended_errcode(db) & 0xff) {
    case SQLITE_CANTOPEN:
      return std::generic_category().message(err);
    case SQLITE_IOERR:
      return text + " (" + std::generic_category().message(err) + ")";
    default:
      return text;
  }
}

// mkdir -p with mode 0700 for every folder made: settings are private to the user.
std::optional<std::string> makeFolders(const fs::path& dir) {
  fs::path partial;
  for (const fs::path& part : dir) {
    partial /= part;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
      return "cannot create folder " + partial.string() + ": " +
             std::generic_category().message(errno);
  }
  return std::nullopt;
}

// For a file: URI; everything but unreserved characters and '/' is percent-encoded.
std::string fileUri(const fs::path& file) {
  std::string uri = "file:";
  for (unsigned char c : file.string()) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      uri += hex;
    }
  }
  return uri;
}

enum class Access {
  Read,    // never creates the database
  Change,  // writes, but only where something exists to change
  Create,  // writes, creating the database and its schema when missing
};

}  // namespace

// One root's database: opened on first use, refused for good once found damaged or too new.
class SqliteRegistry::Store {
 public:
  using Operation = std::function<RegistryResult(sqlite3*)>;

  Store(fs::path file, bool createFolder, bool readOnly)
      : file_(std::move(file)), createFolder_(createFolder), readOnly_(readOnly) {}

  bool readOnly() const { return readOnly_; }

  RegistryResult run(Access access, const Operation& op) {
    if (refusal_) return *refusal_;
    if (readOnly_ && access != Access::Read) return readOnlyRefusal();
    RegistryResult result = open(access);
    if (result.isOk()) result = access == Access::Read ? read(op) : write(access, op);
    // A refused file is let go at once. The read-only stand-in is reopened on every call so
    // it sees others' changes and notices when the folder becomes writable again. A batch
    // keeps its connection to the end.
    if ((refusal_ || immutable_) && !batch_) {
      db_.reset();
      immutable_ = false;
    }
    return result;
  }

  RegistryResult ensureKey(sqlite3* db, std::string_view keyPath, sqlite3_int64& id) {
    id = kRootKeyId;
    std::string path;
    for (std::string_view part : keyComponents(keyPath)) {
      std::string wanted = path.empty() ? std::string(part) : path + '\\' + std::string(part);
      Stmt find(db, "SELECT id, path FROM keys WHERE path = ?1");
      int rc = find.bind(1, wanted).step();
      if (rc == SQLITE_ROW) {
        // Children take the parent's stored spelling, so a key reads the same throughout.
        id = find.integer(0);
        path = find.text(1);
        continue;
      }
      if (rc != SQLITE_DONE) return failure(db, "read");
      Stmt add(db, "INSERT INTO keys(parent, path) VALUES (?1, ?2)");
      if (add.bind(1, id).bind(2, wanted).step() != SQLITE_DONE) return failure(db, "write");
      id = sqlite3_last_insert_rowid(db);
      path = std::move(wanted);
    }
    return RegistryResult::ok();
  }

  RegistryResult readValue(sqlite3* db, std::string_view keyPath, std::string_view name,
                           RegistryValue& out) {
    Stmt find(db,
              "SELECT v.type, v.data FROM key_values v JOIN keys k ON k.id = v.key_id"
              " WHERE k.path = ?1 AND v.name = ?2");
    int rc = find.bind(1, normalisedKeyPath(keyPath)).bind(2, name).step();
    if (rc == SQLITE_DONE) return RegistryResult::notFound();
    if (rc != SQLITE_ROW) return failure(db, "read");
    out.type = static_cast<ValueType>(static_cast<uint32_t>(find.integer(0)));
    out.data = find.blob(1);
    return RegistryResult::ok();
  }

  RegistryResult writeValue(sqlite3* db, std::string_view keyPath, std::string_view name,
                            const RegistryValue& value) {
    sqlite3_int64 keyId = 0;
    RegistryResult key = ensureKey(db, keyPath, keyId);
    if (!key.isOk()) return key;
    // Updating in place keeps the name as first spelt.
    Stmt put(db,
             "INSERT INTO key_values(key_id, name, type, data) VALUES (?1, ?2, ?3, ?4)"
             " ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    int rc = put.bind(1, keyId)
                 .bind(2, name)
                 .bind(3, static_cast<sqlite3_int64>(value.type))
                 .bind(4, value.data)
                 .step();
    return rc == SQLITE_DONE ? RegistryResult::ok() : failure(db, "write");
  }

  RegistryResult deleteValue(sqlite3* db, std::string_view keyPath, std::string_view name) {
    Stmt drop(db,
              "DELETE FROM key_values"
              " WHERE key_id = (SELECT id FROM keys WHERE path = ?1) AND name = ?2");
    if (drop.bind(1, normalisedKeyPath(keyPath)).bind(2, name).step() != SQLITE_DONE)
      return failure(db, "write");
    return sqlite3_changes(db) > 0 ? RegistryResult::ok() : RegistryResult::notFound();
  }

  RegistryResult beginBatch() {
    if (readOnly_) return readOnlyRefusal();
    if (batchDepth_++ > 0) return RegistryResult::ok();
    RegistryResult result = refusal_ ? *refusal_ : open(Access::Create);
    if (result.isOk()) {
      batch_.emplace(db_.get());
      result = prepareWrite(*batch_, Access::Create);
    }
    if (!result.isOk()) {
      // Without a batch every write goes on as its own transaction.
      batch_.reset();
      batchDepth_ = 0;
      return result;
    }
    batchProblem_.reset();
    return result;
  }

  RegistryResult endBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return RegistryResult::ok();
    RegistryResult result = RegistryResult::ok();
    if (batchProblem_)
      result = RegistryResult::failed("no registry value of this save was written to " + name() +
                                      ", as one could not be: " + batchProblem_->message);
    else if (batch_->commit() != SQLITE_OK)
      result = failure(db_.get(), "write");
    batch_.reset();  // rolls back what was not committed
    batchProblem_.reset();
    if (result.isOk()) version_ = kSchemaVersion;
    return result;
  }

 private:
  std::string name() const { return file_.string(); }

  RegistryResult readOnlyRefusal() const {
    return RegistryResult::failed("registry database " + name() +
                                  " was opened to read only; nothing was written");
  }

  RegistryResult refuse(std::string why) {
    refusal_ = RegistryResult::failed(std::move(why));
    return *refusal_;
  }

  RegistryResult tooNew(int version) {
    return refuse("registry database " + name() + " has schema version " + std::to_string(version) +
                  ", newer than this program knows (" + std::to_string(kSchemaVersion) +
                  "); it was left untouched: use the newer program, or move it away to "
                  "start with fresh settings");
  }

  RegistryResult damaged(const std::string& why) {
    return refuse("registry database " + name() + " is damaged (" + why +
                  "); move it away to start with fresh settings");
  }

  // Turns the connection's last error into a result. A damaged file is refused from now on:
  // nothing may write to it, so the user can still rescue it.
  RegistryResult failure(sqlite3* db, const char* doing) {
    int code = sqlite3_extended_errcode(db);
    std::string why = cause(db);
    switch (code & 0xff) {
      case SQLITE_CORRUPT:
      case SQLITE_NOTADB:
        return damaged(why);
      case SQLITE_READONLY:
        why += "; check that you may write to the file and its folder";
        break;
      default:
        break;
    }
    return RegistryResult::failed(std::string("cannot ") + doing + " registry database " + name() +
                                  ": " + why);
  }

  RegistryResult open(Access access) {
    if (db_) return RegistryResult::ok();
    int flags = SQLITE_OPEN_READWRITE;
    if (file_ != ":memory:") {
      std::error_code ec;
      bool present = fs::exists(file_, ec);
      if (!present && !ec) {
        // No database holds no values; only a write brings one into being.
        if (access != Access::Create) return RegistryResult::notFound();
        if (createFolder_) {
          if (auto why = makeFolders(file_.parent_path()))
            return RegistryResult::failed("cannot create registry database " + name() + ": " +
                                          *why);
        }
        // SQLite retries a failed create as a read-only open, and its errno then tells of the
        // retry ("No such file") rather than the real obstacle.
        fs::path folder = file_.parent_path().empty() ? fs::path(".") : file_.parent_path();
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
          return RegistryResult::failed("cannot open registry database " + name() + ": " +
                                        std::generic_category().message(errno));
      }
    }
    if (readOnly_) return connectToRead();
    if (access == Access::Create) flags |= SQLITE_OPEN_CREATE;
    return connect(file_.string(), flags, false);
  }

  RegistryResult connect(const std::string& target, int flags, bool immutable) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(target.c_str(), &raw, flags, nullptr);
    Db conn(raw);
    if (rc != SQLITE_OK)
      return RegistryResult::failed("cannot open registry database " + name() + ": " + cause(raw));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);

    // The header is read before anything could write, so a file that is not ours is
    // refused untouched.
    int version = 0;
    RegistryResult state = schemaVersion(raw, "open", version, rc);
    if ((rc == SQLITE_READONLY_DIRECTORY || rc == SQLITE_READONLY_CANTINIT) && !immutable)
      return connectReadOnlyFolder();
    if (!state.isOk()) return state;
    // Damage found now is refused before any write of ours could build on it.
    {
      Stmt check(raw, "PRAGMA quick_check(1)");
      if (check.step() != SQLITE_ROW) return failure(raw, "open");
      if (std::string verdict = check.text(0); verdict != "ok") return damaged(verdict);
    }
    // Switching to WAL needs no transaction open on the connection. A file that cannot
    // switch (its folder is read-only) still reads; its writes then fail on their own.
    if (!immutable && !sqlite3_db_readonly(raw, "main")) {
      rc = switchToWal(raw);
      if (rc != SQLITE_OK && (rc & 0xff) != SQLITE_READONLY && (rc & 0xff) != SQLITE_CANTOPEN)
        return failure(raw, "open");
    }
    if (exec(raw, "PRAGMA foreign_keys = ON") != SQLITE_OK) return failure(raw, "open");

    db_ = std::move(conn);
    immutable_ = immutable;
    version_ = version;
    return RegistryResult::ok();
  }

  // Reads the schema version, refusing a file too new for us or another program's; `rc` gets
  // SQLite's answer.
  RegistryResult schemaVersion(sqlite3* db, const char* doing, int& version, int& rc) {
    bool hasTables = false;
    rc = readSchemaState(db, version, hasTables);
    if (rc != SQLITE_OK) return failure(db, doing);
    if (version > kSchemaVersion) return tooNew(version);
    if (version == 0 && hasTables)
      return refuse("registry database " + name() +
                    " is not a qorcfg51 registry (it holds other tables); move it away to start "
                    "with fresh settings");
    return RegistryResult::ok();
  }

  // WAL readers need a shared-memory file next to the database, which a read-only folder
  // cannot take. With no unmerged changes waiting in the -wal file the database can be read
  // as immutable instead.
  RegistryResult connectReadOnlyFolder() {
    fs::path wal = file_;
    wal += "-wal";
    std::error_code ec;
    std::uintmax_t pending = fs::file_size(wal, ec);
    if (!ec && pending > 0)
      return RegistryResult::failed("cannot read registry database " + name() +
                                    ": its folder is read-only, so the changes waiting in " +
                                    wal.string() + " cannot be read; make the folder writable");
    return connectImmutable();
  }

  RegistryResult connectImmutable() {
    return connect(fileUri(file_) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, true);
  }

  // A read-only connection to a WAL database makes its -wal and -shm files when they are
  // missing. They are missing only while no other connection has the database open and
  // every change is in the file itself, which can then be read as immutable.
  RegistryResult connectToRead() {
    fs::path wal = file_, shm = file_;
    wal += "-wal";
    shm += "-shm";
    std::error_code ec;
    if (fs::exists(wal, ec) || fs::exists(shm, ec))
      return connect(file_.string(), SQLITE_OPEN_READONLY, false);
    return connectImmutable();
  }

  RegistryResult read(const Operation& op) {
    if (version_ < kSchemaVersion) {
      // Another process may have set the database up since we looked.
      int version = 0, rc = 0;
      if (RegistryResult state = schemaVersion(db_.get(), "read", version, rc); !state.isOk())
        return state;
      if (version == 0) return RegistryResult::notFound();
      if (version < kSchemaVersion) {
        // A database this user may not write is read as it stands: every version keeps the
        // tables of the earlier ones, and what it lacks reads as missing.
        if (immutable_ || sqlite3_db_readonly(db_.get(), "main") == 1) return op(db_.get());
        RegistryResult migrated =
            write(Access::Change, [](sqlite3*) { return RegistryResult::ok(); });
        if (!migrated.isOk()) return migrated;
      }
      version_ = kSchemaVersion;
    }
    return op(db_.get());
  }

  // Begins `txn` and brings the schema up to date inside it.
  RegistryResult prepareWrite(Transaction& txn, Access access) {
    sqlite3* db = db_.get();
    if (txn.begin() != SQLITE_OK) return failure(db, "write");
    // Checked inside the transaction: a newer program may have migrated the file meanwhile.
    int version = 0, rc = 0;
    if (RegistryResult state = schemaVersion(db, "read", version, rc); !state.isOk()) return state;
    if (version == 0 && access == Access::Change) return RegistryResult::notFound();
    return migrate(db, version);
  }

  RegistryResult write(Access access, const Operation& op) {
    sqlite3* db = db_.get();
    if (batch_) {
      RegistryResult result = op(db);
      if (result.status == RegistryResult::Status::Failed && !batchProblem_) batchProblem_ = result;
      return result;
    }
    Transaction txn(db);
    RegistryResult result = prepareWrite(txn, access);
    if (result.isOk()) result = op(db);
    if (!result.isOk()) return result;
    if (txn.commit() != SQLITE_OK) return failure(db, "write");
    version_ = kSchemaVersion;
    return result;
  }

  RegistryResult migrate(sqlite3* db, int from) {
    for (int version = from; version < kSchemaVersion; ++version) {
      std::string setVersion = "PRAGMA user_version = " + std::to_string(version + 1);
      if (exec(db, kMigrations[version]) != SQLITE_OK || exec(db, setVersion.c_str()) != SQLITE_OK)
        return failure(db, "write");
    }
    return RegistryResult::ok();
  }

  fs::path file_;
  bool createFolder_;
  bool readOnly_;
  Db db_;
  bool immutable_ = false;
  int version_ = 0;
  std::optional<RegistryResult> refusal_;
  int batchDepth_ = 0;
  std::optional<Transaction> batch_;            // the open batch's transaction
  std::optional<RegistryResult> batchProblem_;  // the batch's first failed write
};

SqliteRegistry::SqliteRegistry(fs::path currentUserDb, fs::path localMachineDb, Mode mode)
    : currentUser_(std::make_unique<Store>(std::move(currentUserDb), true, mode == Mode::ReadOnly)),
      localMachine_(
          std::make_unique<Store>(std::move(localMachineDb), false, mode == Mode::ReadOnly)) {}

SqliteRegistry::~SqliteRegistry() = default;

std::unique_ptr<SqliteRegistry> SqliteRegistry::forThisUser(Mode mode) {
  return std::make_unique<SqliteRegistry>(currentUserDatabase(), localMachineDatabase(), mode);
}

fs::path SqliteRegistry::currentUserDatabase() {
  return paths::configHome() / "qorcfg51" / "registry.db";
}

fs::path SqliteRegistry::localMachineDatabase() {
  return "/var/lib/qorcfg51/registry.db";
}

SqliteRegistry::Store* SqliteRegistry::storeFor(RootKey root) {
  switch (root) {
    case RootKey::CurrentUser:
      return currentUser_.get();
    case RootKey::LocalMachine:
      return localMachine_.get();
    default:
      return nullptr;
  }
}

namespace {

RegistryResult unsupported(RootKey root) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(root));
  return RegistryResult::failed(std::string("unsupported registry root ") + hex);
}

}  // namespace

RegistryResult SqliteRegistry::createKey(RootKey root, std::string_view keyPath) {
  std::lock_guard lock(mutex_);
  Store* store = storeFor(root);
  if (!store) return unsupported(root);
  // Opening a key to read it: one that is not stored simply holds no values.
  if (store->readOnly()) return RegistryResult::ok();
  return store->run(Access::Create, [&](sqlite3* db) {
    sqlite3_int64 id = 0;
    return store->ensureKey(db, keyPath, id);
  });
}

RegistryResult SqliteRegistry::readValue(RootKey root, std::string_view keyPath,
                                         std::string_view name, RegistryValue& out) {
  std::lock_guard lock(mutex_);
  Store* store = storeFor(root);
  if (!store) return unsupported(root);
  RegistryValue found;
  RegistryResult result = store->run(
      Access::Read, [&](sqlite3* db) { return store->readValue(db, keyPath, name, found); });
  if (result.isOk()) out = std::move(found);
  return result;
}

RegistryResult SqliteRegistry::writeValue(RootKey root, std::string_view keyPath,
                                          std::string_view name, const RegistryValue& value) {
  std::lock_guard lock(mutex_);
  Store* store = storeFor(root);
  if (!store) return unsupported(root);
  return store->run(Access::Create,
                    [&](sqlite3* db) { return store->writeValue(db, keyPath, name, value); });
}

RegistryResult SqliteRegistry::beginBatch(RootKey root) {
  std::lock_guard lock(mutex_);
  Store* store = storeFor(root);
  if (!store) return unsupported(root);
  return store->beginBatch();
}

RegistryResult SqliteRegistry::endBatch(RootKey root) {
  std::lock_guard lock(mutex_);
  Store* store = storeFor(root);
  if (!store) return unsupported(root);
  return store->endBatch();
}

RegistryResult SqliteRegistry::deleteValue(RootKey root, std::string_view keyPath,
                                           std::string_view name) {
  std::lock_guard lock(mutex_);
  Store* store = storeFor(root);
  if (!store) return unsupported(root);
  return store->run(Access::Change,
                    [&](sqlite3* db) { return store->deleteValue(db, keyPath, name); });
}

namespace {

RegistryResult sqliteFailure(sqlite3* db, const std::string& doing) {
  return RegistryResult::failed("cannot " + doing +
                                " the application bindings: " + sqlite3_errmsg(db));
}

}  // namespace

RegistryResult SqliteRegistry::readBindings(std::vector<AppBinding>& out) {
  std::lock_guard lock(mutex_);
  std::vector<AppBinding> found;
  RegistryResult result = currentUser_->run(Access::Read, [&](sqlite3* db) {
    int version = 0;
    bool hasTables = false;
    if (readSchemaState(db, version, hasTables) == SQLITE_OK && version < 2)
      return RegistryResult::ok();  // a database of the first version, not ours to migrate
    Stmt stmt(db, "SELECT app, profile FROM app_bindings ORDER BY app");
    int rc;
    while ((rc = stmt.step()) == SQLITE_ROW)
      found.push_back({stmt.text(0), static_cast<int>(stmt.integer(1))});
    return rc == SQLITE_DONE ? RegistryResult::ok() : sqliteFailure(db, "read");
  });
  // A database not yet written holds no bindings.
  if (result.status == RegistryResult::Status::NotFound) result = RegistryResult::ok();
  if (result.isOk()) out = std::move(found);
  return result;
}

RegistryResult SqliteRegistry::bindApp(std::string_view app, int profile) {
  std::lock_guard lock(mutex_);
  return currentUser_->run(Access::Create, [&](sqlite3* db) {
    Stmt stmt(db,
              "INSERT INTO app_bindings(app, profile) VALUES (?1, ?2) "
              "ON CONFLICT(app) DO UPDATE SET app = excluded.app, profile = excluded.profile");
    stmt.bind(1, app).bind(2, sqlite3_int64{profile});
    return stmt.step() == SQLITE_DONE ? RegistryResult::ok() : sqliteFailure(db, "write");
  });
}

RegistryResult SqliteRegistry::unbindApp(std::string_view app) {
  std::lock_guard lock(mutex_);
  return currentUser_->run(Access::Change, [&](sqlite3* db) {
    Stmt stmt(db, "DELETE FROM app_bindings WHERE app = ?1");
    stmt.bind(1, app);
    if (stmt.step() != SQLITE_DONE) return sqliteFailure(db, "write");
    return sqlite3_changes(db) > 0 ? RegistryResult::ok() : RegistryResult::notFound();
  });
}

}  // namespace qor
