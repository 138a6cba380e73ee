// Qt's own texts in the user's language: the standard buttons of the message boxes and the file
// and folder choosers, from the translations installed beside Qt.
#include "platform/qt_translations.h"

#include <QApplication>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

QString YesNoTexts()
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Orvalinó"), QStringLiteral("Biztos, hogy törli?"),
                    QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text() + QLatin1Char('/') + box.button(QMessageBox::No)->text();
}

} // namespace

class QtTranslationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One process, one order: nothing loaded, a language without Qt texts, then Hungarian.
    void standardTextsFollowTheLanguage()
    {
        QCOMPARE(YesNoTexts(), QStringLiteral("&Yes/&No"));
        QVERIFY(!LoadQtTranslations(QLocale(QLocale::Hawaiian, QLocale::UnitedStates)));
        QCOMPARE(YesNoTexts(), QStringLiteral("&Yes/&No"));

        QVERIFY(LoadQtTranslations(QLocale(QLocale::Hungarian, QLocale::Hungary)));
        QCOMPARE(YesNoTexts(), QStringLiteral("&Igen/&Nem"));
        QFileDialog chooser;
        chooser.setFileMode(QFileDialog::Directory);
        const QString look = chooser.labelText(QFileDialog::LookIn);
        QVERIFY2(look != QStringLiteral("Look in:") && !look.isEmpty(), qPrintable(look));
        const QString cancel = chooser.labelText(QFileDialog::Reject);
        QVERIFY2(cancel != QStringLiteral("Cancel") && !cancel.isEmpty(), qPrintable(cancel));
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
