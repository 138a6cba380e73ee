// The message-box facade: scripted answers, the record of calls, the log on standard error and
// the default answer where no one can see the box.
#include "platform/message_box.h"

#include <QTest>

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
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
