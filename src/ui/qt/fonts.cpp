#include "ui/qt/fonts.h"

#include <QFont>
#include <QStringList>

namespace veyra {

void InstallFontSubstitutes() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  const QStringList ming = {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing HK"),
                            QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK TC")};
  const QStringList kai = {QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL UKai HK"),
                           QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UMing TW")};
  const QStringList mono = {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                            QStringLiteral("AR PL UMing TW")};
  QFont::insertSubstitutions(QStringLiteral("新細明體"), ming);
  QFont::insertSubstitutions(QStringLiteral("標楷體"), kai);
  QFont::insertSubstitutions(QStringLiteral("Courier New"), mono);
}

}  // namespace veyra
