// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/mouse_bus_object.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QStringList>

#include "model/profile_records.h"
#include "monitor/monitor_service.h"
#include "monitor/mouse_queue.h"

namespace qor {
namespace {

QString profileWord(int index) {
  return QStringLiteral("profile %1").arg(index + 1);
}

}  // namespace

MouseBusObject::MouseBusObject(QDBusConnection bus, TQor51MonMain& monitor, MouseQueue& queue,
                               Actions actions, AppBindingStore& bindings, Registry& registry,
                               QObject* parent)
    : QObject(parent),
      FBus(std::move(bus)),
      FMonitor(monitor),
      FQueue(queue),
      FActions(std::move(actions)),
      FBindingStore(bindings),
      FRegistry(registry) {
  qDBusRegisterMetaType<BindingMap>();
  readState();  // nobody listens yet
  connect(&FMonitor, &TQor51MonMain::Noticed, this, &MouseBusObject::Refresh);
}

bool MouseBusObject::Register(QString& error) {
  if (FBus.registerObject(
          kMouseObjectPath, kMouseInterface, this,
          QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties))
    return true;
  error = QStringLiteral("the object path %1 is taken on this connection").arg(kMouseObjectPath);
  return false;
}

uint MouseBusObject::ProfileCount() const {
  return static_cast<uint>(kProfileSlots);
}

void MouseBusObject::announce(const QVariantMap& changed) {
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(
      kMouseObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("PropertiesChanged"));
  signal << QString(kMouseInterface) << changed << QStringList();
  FBus.send(signal);
}

void MouseBusObject::SetPresent(bool present) {
  if (present == FPresent) return;
  FPresent = present;
  const unsigned presence = ++FPresence;
  QVariantMap changed{{QStringLiteral("Present"), present}};
  if (!present && !FModel.isEmpty()) {
    FModel.clear();
    changed.insert(QStringLiteral("Model"), FModel);
  }
  announce(changed);
  if (!present || !FActions.model) return;
  FQueue.Run(this, [this, model = FActions.model, presence] {
    const QString text = QString::fromStdString(model());
    return std::function<void()>([this, text, presence] {
      // The mouse went (or went and came) meanwhile: the answer is of another plug-in.
      if (presence == FPresence && FPresent) setModel(text);
    });
  });
}

void MouseBusObject::setModel(const QString& model) {
  if (model == FModel) return;
  FModel = model;
  announce({{QStringLiteral("Model"), FModel}});
}

void MouseBusObject::Refresh() {
  announce(readState());
}

QVariantMap MouseBusObject::readState() {
  QVariantMap changed;
  if (const int index = FMonitor.CurrentOrStoredProfile(FRegistry); index != FCurrentProfile) {
    FCurrentProfile = index;
    changed.insert(QStringLiteral("CurrentProfile"), CurrentProfile());
  }
  std::vector<AppBinding> bindings;
  // An unreadable store keeps the bindings last read; the focus follow reports the problem.
  if (FBindingStore.readBindings(bindings).isOk()) {
    BindingMap map;
    for (const AppBinding& b : bindings)
      map.insert(QString::fromStdString(b.app), static_cast<uint>(b.profile));
    if (map != FBindings) {
      FBindings = map;
      changed.insert(QStringLiteral("Bindings"), QVariant::fromValue(FBindings));
    }
  }
  return changed;
}

void MouseBusObject::SwitchProfile(uint profile) {
  if (profile < 1 || profile > static_cast<uint>(kProfileSlots)) {
    sendErrorReply(mouse_error::kInvalidProfile,
                   QStringLiteral("there is no profile %1: profiles are numbered 1 to %2")
                       .arg(profile)
                       .arg(kProfileSlots));
    return;
  }
  upload(static_cast<int>(profile) - 1, false);
}

// The profile CurrentProfile names: a fresh data module would begin on the group's start
// profile instead.
void MouseBusObject::Apply() {
  upload(FCurrentProfile, true);
}

void MouseBusObject::upload(int index, bool apply) {
  if (!calledFromDBus()) return;
  setDelayedReply(true);
  const QDBusMessage call = message();
  const QString what = profileWord(index);
  FQueue.Upload(
      this,
      [this, upload = FActions.upload, index, apply, call, what] {
        std::string problem;
        const ProfileSwitchResult result = upload({index, true}, problem);
        return std::function<void()>([this, index, apply, call, what, result, problem] {
          const QString why = QString::fromStdString(problem);
          // Told as the window and the focus switch tell it, so the tray, the notification
          // and CurrentProfile follow before the caller hears back.
          const auto tell = [&] {
            if (apply)
              FMonitor.Notify(0, 0);
            else
              FMonitor.Notify(1, static_cast<uint>(index));
          };
          switch (result) {
            case ProfileSwitchResult::Switched:
              tell();
              FBus.send(call.createReply());
              return;
            case ProfileSwitchResult::MouseStopped:
              tell();
              FBus.send(call.createErrorReply(
                  mouse_error::kMouseStopped,
                  QStringLiteral("%1 is current but did not reach the mouse (%2); reconnect the "
                                 "mouse and call Apply")
                      .arg(what, why)));
              return;
            case ProfileSwitchResult::WindowOpen:
              FBus.send(call.createErrorReply(
                  mouse_error::kSettingsBusy,
                  QStringLiteral("the qorcfg51 window is open and keeps the settings; close it, "
                                 "or choose the profile in the window")));
              return;
            case ProfileSwitchResult::NoMouse:
              FBus.send(call.createErrorReply(
                  mouse_error::kNoMouse,
                  QStringLiteral("no mouse is connected; plug it in and call again")));
              return;
            case ProfileSwitchResult::Failed:
              FBus.send(call.createErrorReply(
                  mouse_error::kFailed, QStringLiteral("%1 was not uploaded: %2").arg(what, why)));
              return;
          }
        });
      },
      [this, call, what] {
        FBus.send(call.createErrorReply(
            mouse_error::kSuperseded,
            QStringLiteral("a later request came while another upload ran; %1 was not uploaded")
                .arg(what)));
      });
}

QString MouseBusObject::ExportProfile(uint profile, const QString& format) {
  if (profile < 1 || profile > static_cast<uint>(kProfileSlots)) {
    sendErrorReply(mouse_error::kInvalidProfile,
                   QStringLiteral("there is no profile %1: profiles are numbered 1 to %2")
                       .arg(profile)
                       .arg(kProfileSlots));
    return {};
  }
  if (format != QStringLiteral("json")) {
    sendErrorReply(mouse_error::kUnknownFormat,
                   QStringLiteral("\"%1\" is not a profile format; ask for \"json\"").arg(format));
    return {};
  }
  if (!calledFromDBus()) return {};
  setDelayedReply(true);
  const QDBusMessage call = message();
  const int index = static_cast<int>(profile) - 1;
  FQueue.Run(this, [this, exportJson = FActions.exportJson, index, call] {
    const ProfileExport result = exportJson(index);
    return std::function<void()>([this, call, result] {
      switch (result.status) {
        case ProfileExport::Status::Exported:
          FBus.send(call.createReply(QString::fromStdString(result.text)));
          return;
        case ProfileExport::Status::WindowOpen:
          FBus.send(call.createErrorReply(
              mouse_error::kSettingsBusy,
              QStringLiteral("the qorcfg51 window is open and its changes are not stored yet; "
                             "close it and call again")));
          return;
        case ProfileExport::Status::NoMouse:
          FBus.send(call.createErrorReply(
              mouse_error::kNoMouse,
              QStringLiteral("no mouse is connected; plug it in and call again")));
          return;
        case ProfileExport::Status::Failed:
          FBus.send(
              call.createErrorReply(mouse_error::kFailed, QString::fromStdString(result.problem)));
          return;
      }
    });
  });
  return {};
}

}  // namespace qor
