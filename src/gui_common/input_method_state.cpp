#include "gui_common/input_method_state.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QWidget>

namespace kelvora {
namespace {

constexpr int kDbusTimeoutMs = 100;

std::optional<bool> Fcitx5Active() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr ||
      !bus.interface()->isServiceRegistered(QStringLiteral("org.fcitx.Fcitx5")))
    return std::nullopt;
  QDBusInterface controller(QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
                            QStringLiteral("org.fcitx.Fcitx.Controller1"), bus);
  controller.setTimeout(kDbusTimeoutMs);
  const QDBusReply<int> state = controller.call(QStringLiteral("State"));
  if (!state.isValid()) return std::nullopt;
  return state.value() == 2;  // 0 closed, 1 inactive, 2 active
}

// The address of IBus's own bus: $IBUS_ADDRESS, else the address file IBus writes per display.
QString IbusAddress() {
  const QByteArray env = qgetenv("IBUS_ADDRESS");
  if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  QFile id(QStringLiteral("/etc/machine-id"));
  if (!id.open(QIODevice::ReadOnly)) return {};
  QString display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
  QString host = QStringLiteral("unix");
  const int colon = display.indexOf(u':');
  if (colon > 0) host = display.left(colon);
  QString number = colon >= 0 ? display.mid(colon + 1) : QStringLiteral("0");
  number = number.section(u'.', 0, 0);
  QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  QFile file(config + QStringLiteral("/ibus/bus/") + QString::fromLatin1(id.readAll().trimmed()) +
             u'-' + host + u'-' + number);
  if (!file.open(QIODevice::ReadOnly)) return {};
  for (const QByteArray& line : file.readAll().split('\n'))
    if (line.startsWith("IBUS_ADDRESS=")) return QString::fromLocal8Bit(line.mid(13));
  return {};
}

std::optional<bool> IbusActive() {
  const QString address = IbusAddress();
  if (address.isEmpty()) return std::nullopt;
  QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("kelvora-ibus"));
  if (!bus.isConnected()) return std::nullopt;
  QDBusInterface props(QStringLiteral("org.freedesktop.IBus"),
                       QStringLiteral("/org/freedesktop/IBus"),
                       QStringLiteral("org.freedesktop.DBus.Properties"), bus);
  props.setTimeout(kDbusTimeoutMs);
  const QDBusReply<QDBusVariant> reply =
      props.call(QStringLiteral("Get"), QStringLiteral("org.freedesktop.IBus"),
                 QStringLiteral("GlobalEngine"));
  if (!reply.isValid()) return std::nullopt;
  // An IBusEngineDesc: its type name, the attachments, then the engine's name.
  const QDBusArgument desc = reply.value().variant().value<QDBusArgument>();
  QString type, name;
  desc.beginStructure();
  desc >> type;
  desc.beginMap();
  while (!desc.atEnd()) {
    desc.beginMapEntry();
    QString key;
    QDBusVariant value;
    desc >> key >> value;
    desc.endMapEntry();
  }
  desc.endMap();
  desc >> name;
  desc.endStructure();
  if (name.isEmpty()) return std::nullopt;
  return !name.startsWith(QStringLiteral("xkb:"));
}

}  // namespace

std::optional<bool> DesktopInputMethodActive() {
  if (auto fcitx = Fcitx5Active()) return fcitx;
  return IbusActive();
}

InputMethodIndicator::InputMethodIndicator(QWidget* editor, InputMethodProbe probe)
    : QObject(editor), probe_(std::move(probe)) {
  editor->installEventFilter(this);
  for (QWidget* child : editor->findChildren<QWidget*>()) child->installEventFilter(this);
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &InputMethodIndicator::Refresh);
  Refresh();
  // Nothing answered at first: the desktop has no input method to ask; stop asking.
  if (probed_.has_value()) poll_.start();
}

std::optional<bool> InputMethodIndicator::state() const {
  if (composing_) return true;
  return probed_;
}

void InputMethodIndicator::Refresh() {
  const std::optional<bool> before = state();
  if (probe_) probed_ = probe_();
  if (state() != before) emit changed();
}

bool InputMethodIndicator::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::InputMethod) {
    const auto* im = static_cast<QInputMethodEvent*>(event);
    const bool composing = !im->preeditString().isEmpty();
    if (composing != composing_) {
      composing_ = composing;
      emit changed();
    }
  } else if (event->type() == QEvent::FocusIn) {
    Refresh();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kelvora
