#include "gui_common/dialog_owner.h"

#include <QApplication>
#include <vector>

namespace kelvora {
namespace {

std::vector<QPointer<QWidget>>& Owners() {
  static std::vector<QPointer<QWidget>> owners;
  return owners;
}

}  // namespace

DialogOwnerScope::DialogOwnerScope(QWidget* owner) {
  Owners().emplace_back(owner);
}

DialogOwnerScope::~DialogOwnerScope() {
  Owners().pop_back();
}

QWidget* DialogOwnerScope::Current() {
  for (auto it = Owners().rbegin(); it != Owners().rend(); ++it)
    if (!it->isNull()) return it->data();
  return nullptr;
}

QWidget* DialogParentFor(QWidget* fallback) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* owner = DialogOwnerScope::Current()) return owner->window();
  return fallback;
}

void OwnedDialogsUi::Message(std::string_view text, std::string_view caption, MsgIcon icon) {
  DialogOwnerScope scope(owner_);
  outer_.Message(text, caption, icon);
}

bool OwnedDialogsUi::AskYesNo(QuestionId id, std::string_view text, std::string_view caption) {
  DialogOwnerScope scope(owner_);
  return outer_.AskYesNo(id, text, caption);
}

std::optional<std::string> OwnedDialogsUi::ChooseFolder(std::string_view title) {
  DialogOwnerScope scope(owner_);
  return outer_.ChooseFolder(title);
}

std::optional<std::string> OwnedDialogsUi::ChooseOpenFile(std::string_view title,
                                                          std::string_view filter,
                                                          std::string_view initial_dir) {
  DialogOwnerScope scope(owner_);
  return outer_.ChooseOpenFile(title, filter, initial_dir);
}

std::optional<std::string> OwnedDialogsUi::ChooseSaveFile(std::string_view title,
                                                          std::string_view filter,
                                                          std::string_view initial_name,
                                                          std::string_view default_suffix) {
  DialogOwnerScope scope(owner_);
  return outer_.ChooseSaveFile(title, filter, initial_name, default_suffix);
}

}  // namespace kelvora
