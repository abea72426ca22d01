#include "gui_common/japanese_fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace kelvora {
namespace {

QStringList Installed(const QStringList& candidates) {
  const QStringList families = QFontDatabase::families();
  QStringList installed;
  for (const QString& name : candidates) {
    if (families.contains(name, Qt::CaseInsensitive)) installed << name;
  }
  return installed;
}

}  // namespace

QString ProportionalGothicName() {
  return QStringLiteral("ＭＳ Ｐゴシック");
}
QString FixedGothicName() {
  return QStringLiteral("ＭＳ ゴシック");
}

bool SubstituteJapaneseFonts() {
  const QStringList proportional =
      Installed({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                 QStringLiteral("TakaoPGothic")});
  const QStringList fixed = Installed(
      {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
       QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic"), QStringLiteral("IPAPGothic")});
  if (proportional.isEmpty() && fixed.isEmpty()) return false;
  const QStringList& p = proportional.isEmpty() ? fixed : proportional;
  const QStringList& f = fixed.isEmpty() ? proportional : fixed;
  QFont::insertSubstitutions(ProportionalGothicName(), p);
  QFont::insertSubstitutions(QStringLiteral("MS PGothic"), p);
  QFont::insertSubstitutions(FixedGothicName(), f);
  QFont::insertSubstitutions(QStringLiteral("MS Gothic"), f);
  return true;
}

void ApplyApplicationFont() {
  SubstituteJapaneseFonts();
  QApplication::setFont(QFont(ProportionalGothicName(), 9));
}

}  // namespace kelvora
