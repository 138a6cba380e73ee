// The message-box facade: scripted answers, the record of calls, the log on standard error and
// the default answer where no one can see the box; which of Qt's own messages stay out of the log;
// Qt's own texts in the user's language, from the translations installed beside Qt.
#include "platform/message_box.h"
#include "platform/qt_messages.h"
#include "platform/qt_translations.h"

#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

QString YesNoTexts()
{
    QMessageBox box(QMessageBox::Critical, "Orvalinó", "Biztos, hogy törli?", QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text() + '/' + box.button(QMessageBox::No)->text();
}

} // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::ClearCalls(); }

    void offscreenAnswersTheDefaultButton()
    {
        QCOMPARE(MessageBox::Show(nullptr, "Orvalinó", "Biztos, hogy törli?", MessageBox::Icon::Critical,
                                  MessageBox::Buttons::YesNo, MessageBox::Answer::No),
                 MessageBox::Answer::No);
        QCOMPARE(MessageBox::Show(nullptr, "Hiba!", "x", MessageBox::Icon::None), MessageBox::Answer::Ok);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(2));
        QCOMPARE(MessageBox::Calls()[0].title, QStringLiteral("Orvalinó"));
        QCOMPARE(MessageBox::Calls()[0].buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(MessageBox::Calls()[1].icon, MessageBox::Icon::None);
    }

    void scriptedAnswersComeInOrder()
    {
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes, MessageBox::Answer::No});
        const auto ask = [] {
            return MessageBox::Show(nullptr, "t", "q", MessageBox::Icon::Question, MessageBox::Buttons::YesNo,
                                    MessageBox::Answer::No);
        };
        QCOMPARE(ask(), MessageBox::Answer::Yes);
        QCOMPARE(ask(), MessageBox::Answer::No);
        QCOMPARE(ask(), MessageBox::Answer::No); // script used up: the default
    }

    void theRecordKeepsTheLastHundred()
    {
        for (int i = 0; i < 150; ++i)
            MessageBox::Show(nullptr, "t", QString::number(i), MessageBox::Icon::None);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(100));
        QCOMPARE(MessageBox::Calls().front().text, QStringLiteral("50"));
        QCOMPARE(MessageBox::Calls().back().text, QStringLiteral("149"));
    }

    // Qt's two start-up notices, and nothing else.
    void qtNotices()
    {
        const std::pair<const char*, bool> rows[] = {
            {"QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-anna'", true},
            {"QObject::connect: No such signal QPlatformNativeInterface::systemTrayWindowChanged(QScreen*)", true},
            {"QStandardPaths: wrong permissions on runtime directory /run/user/1000, 0755 instead of 0700", false},
            {"QObject::connect: No such signal QTimer::fired()", false},
            {"QFont::setPointSizeF: Point size <= 0 (0.000000), must be greater than 0", false},
            {"", false},
        };
        for (const auto& [message, notice] : rows)
            QVERIFY2(IsQtStartupNotice(message) == notice, message);
    }

    // The standard buttons of the boxes and the choosers' labels. Last, as nothing may be loaded
    // before: a language without Qt texts, then Hungarian.
    void qtTextsFollowTheLanguage()
    {
        QCOMPARE(YesNoTexts(), QStringLiteral("&Yes/&No"));
        QVERIFY(!LoadQtTranslations(QLocale(QLocale::Hawaiian, QLocale::UnitedStates)));
        QCOMPARE(YesNoTexts(), QStringLiteral("&Yes/&No"));
        QVERIFY(LoadQtTranslations(QLocale(QLocale::Hungarian, QLocale::Hungary)));
        QCOMPARE(YesNoTexts(), QStringLiteral("&Igen/&Nem"));
        QFileDialog chooser;
        chooser.setFileMode(QFileDialog::Directory);
        for (const QString& label : {chooser.labelText(QFileDialog::LookIn), chooser.labelText(QFileDialog::Reject)})
            QVERIFY2(label != "Look in:" && label != "Cancel" && !label.isEmpty(), qPrintable(label));
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
