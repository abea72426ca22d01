// Whether the input method converts what is typed (Japanese input on), as far as the desktop
// tells it: fcitx5 and IBus answer over D-Bus, and a composition seen in Qt's input-method events
// means on. Where nothing answers the state is unknown and the dialogs hide their IME field.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class QWidget;

namespace kelvora {

// Asks the desktop's input method; nullopt when none answers.
using InputMethodProbe = std::function<std::optional<bool>()>;

// fcitx5 ("org.fcitx.Fcitx5", Controller1.State) on the session bus, else IBus (its global
// engine is not a plain keyboard layout) on its own bus; nullopt when neither runs. Each call
// waits at most a tenth of a second.
std::optional<bool> DesktopInputMethodActive();

class InputMethodIndicator : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPollMs = 400;
  // Watches the input-method events of editor (and its children) and polls probe; the default
  // probe asks the desktop.
  explicit InputMethodIndicator(QWidget* editor, InputMethodProbe probe = DesktopInputMethodActive);

  // On while a composition runs or the probe says on; nullopt when unknown.
  std::optional<bool> state() const;
  // "IME：ON" / "IME：OFF" style texts are the dialogs' own; this gives the state to show.
  void Refresh();

 signals:
  void changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  InputMethodProbe probe_;
  std::optional<bool> probed_;
  bool composing_ = false;
  QTimer poll_;
};

}  // namespace kelvora
