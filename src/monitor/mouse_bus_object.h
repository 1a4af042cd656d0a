// SPDX-License-Identifier: GPL-2.0-or-later
// io.github.qorcfg51.Mouse1: the mouse as other programs see it on the session bus, beside the
// monitor's Notify. Properties announce their changes with PropertiesChanged; the methods go
// through the monitor's queue with its own focus switches.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <string>
#include <vector>

#include "app/profile_switch.h"
#include "monitor/mouse_actions.h"
#include "platform/app_bindings.h"

namespace qor {

class MouseQueue;
class TQor51MonMain;

inline constexpr const char* kMouseObjectPath = "/io/github/qorcfg51/Mouse";
inline constexpr const char* kMouseInterface = "io.github.qorcfg51.Mouse1";

// The named errors of the interface's methods.
namespace mouse_error {
inline constexpr const char* kSettingsBusy = "io.github.qorcfg51.Error.SettingsBusy";
inline constexpr const char* kNoMouse = "io.github.qorcfg51.Error.NoMouse";
inline constexpr const char* kInvalidProfile = "io.github.qorcfg51.Error.InvalidProfile";
inline constexpr const char* kUnknownFormat = "io.github.qorcfg51.Error.UnknownFormat";
inline constexpr const char* kSuperseded = "io.github.qorcfg51.Error.Superseded";
inline constexpr const char* kMouseStopped = "io.github.qorcfg51.Error.MouseStopped";
inline constexpr const char* kFailed = "io.github.qorcfg51.Error.Failed";
}  // namespace mouse_error

// Bindings as the bus carries them: application name to profile number (1..5), a{su}.
using BindingMap = QMap<QString, uint>;

class MouseBusObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "io.github.qorcfg51.Mouse1")
  Q_PROPERTY(bool Present READ Present)
  Q_PROPERTY(QString Model READ Model)
  Q_PROPERTY(uint CurrentProfile READ CurrentProfile)
  Q_PROPERTY(uint ProfileCount READ ProfileCount)
  Q_PROPERTY(qor::BindingMap Bindings READ Bindings)

 public:
  // What the methods do; each runs on the queue's thread.
  struct Actions {
    std::function<ProfileSwitchResult(const ProfileUpload&, std::string& problem)> upload;
    std::function<ProfileExport(int index)> exportJson;
    std::function<std::string()> model;
  };

  // Switches and uploads asked over the bus are told to `monitor` as its focus switches are,
  // so the tray and the desktop notification follow. Every notice `monitor` takes reads the
  // current profile (told, else stored in `registry`) and `bindings` again.
  MouseBusObject(QDBusConnection bus, TQor51MonMain& monitor, MouseQueue& queue, Actions actions,
                 AppBindingStore& bindings, Registry& registry, QObject* parent = nullptr);

  // Exports the object at kMouseObjectPath; false, with the reason in `error`, when the path is
  // taken on this connection.
  bool Register(QString& error);

  // Whether the mouse is there, as the monitor learnt it; announced when it changed. A mouse
  // that comes is asked for its model; one that goes has none.
  void SetPresent(bool present);
  // Reads the current profile and the bindings again and announces what changed.
  void Refresh();

  bool Present() const { return FPresent; }
  QString Model() const { return FModel; }
  uint CurrentProfile() const { return static_cast<uint>(FCurrentProfile + 1); }
  uint ProfileCount() const;
  BindingMap Bindings() const { return FBindings; }

 public Q_SLOTS:
  // Makes profile `profile` (1..5) current and uploads it; answered once it is in the mouse.
  Q_SCRIPTABLE void SwitchProfile(uint profile);
  // Uploads the current profile (CurrentProfile) again.
  Q_SCRIPTABLE void Apply();
  // Profile `profile` (1..5) as stored, as text in `format` ("json").
  Q_SCRIPTABLE QString ExportProfile(uint profile, const QString& format);

 private:
  // Sends PropertiesChanged with those of `values` that differ from what was announced.
  void announce(const QVariantMap& changed);
  // Queues an upload of profile `index` for the caller of the current bus call and answers
  // it when done; `apply` tells the monitor an Apply rather than a switch.
  void upload(int index, bool apply);
  void setModel(const QString& model);
  // The current profile and the bindings as they are now, and what differs from before.
  QVariantMap readState();

  QDBusConnection FBus;
  TQor51MonMain& FMonitor;
  MouseQueue& FQueue;
  Actions FActions;
  AppBindingStore& FBindingStore;
  Registry& FRegistry;
  bool FPresent = false;
  QString FModel;
  int FCurrentProfile = 0;
  BindingMap FBindings;
  unsigned FPresence = 0;  // counts comings and goings: a late model answer is dropped
};

}  // namespace qor

Q_DECLARE_METATYPE(qor::BindingMap)
