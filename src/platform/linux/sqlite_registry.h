// SPDX-License-Identifier: GPL-2.0-or-later
// The registry kept in SQLite databases, one file per root.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/app_bindings.h"
#include "platform/registry.h"

namespace qor {

// Serves CurrentUser and LocalMachine from one SQLite database each. Several instances and
// several processes (the configurator, the monitor, the command-line tool) may use the same
// files at once: databases run in WAL mode and writers wait for each other instead of
// failing. A damaged database, or one from a newer program, is never rewritten: every call
// on that root fails with a message that names the file and says what to do.
// One instance may be shared between threads; calls are serialised.
// The current user's database also keeps the application bindings, in a table of their own.
class SqliteRegistry final : public Registry, public AppBindingStore {
 public:
  // `currentUserDb` and `localMachineDb` are the database files; ":memory:" gives a private
  // in-memory database. Nothing is opened until a root is first used, and a read never
  // creates a file. The current user's folder is created (mode 0700) on the first write;
  // the machine-wide folder is left to the installer.
  // How the databases are opened. ReadOnly never writes, creates or migrates anything, so
  // that only looking leaves no trace: every write fails, and a database with no other
  // connection is read as immutable, since a read-only WAL connection would leave -wal and
  // -shm files behind (or fail in a read-only folder).
  enum class Mode { ReadWrite, ReadOnly };
  SqliteRegistry(std::filesystem::path currentUserDb, std::filesystem::path localMachineDb,
                 Mode mode = Mode::ReadWrite);
  ~SqliteRegistry() override;
  SqliteRegistry(const SqliteRegistry&) = delete;
  SqliteRegistry& operator=(const SqliteRegistry&) = delete;

  // The registry every program of this user shares: currentUserDatabase() and
  // localMachineDatabase().
  static std::unique_ptr<SqliteRegistry> forThisUser(Mode mode = Mode::ReadWrite);
  // $XDG_CONFIG_HOME/qorcfg51/registry.db.
  static std::filesystem::path currentUserDatabase();
  // /var/lib/qorcfg51/registry.db.
  static std::filesystem::path localMachineDatabase();

  RegistryResult createKey(RootKey root, std::string_view keyPath) override;
  RegistryResult readValue(RootKey root, std::string_view keyPath, std::string_view name,
                           RegistryValue& out) override;
  RegistryResult writeValue(RootKey root, std::string_view keyPath, std::string_view name,
                            const RegistryValue& value) override;
  RegistryResult deleteValue(RootKey root, std::string_view keyPath,
                             std::string_view name) override;
  // One SQLite transaction (one sync) for the batch's writes; they see each other.
  RegistryResult beginBatch(RootKey root) override;
  RegistryResult endBatch(RootKey root) override;

  RegistryResult readBindings(std::vector<AppBinding>& out) override;
  RegistryResult bindApp(std::string_view app, int profile) override;
  RegistryResult unbindApp(std::string_view app) override;

 private:
  class Store;
  Store* storeFor(RootKey root);

  std::mutex mutex_;
  std::unique_ptr<Store> currentUser_;
  std::unique_ptr<Store> localMachine_;
};

}  // namespace qor
