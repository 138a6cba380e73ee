#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace MessageBox {
namespace {

std::deque<Answer> scripted;
std::vector<Call> calls;
constexpr std::size_t KeptCalls = 100;

void Log(const QString& title, const QString& text)
{
    QString flat = text;
    flat.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
    std::fprintf(stderr, "%s\n%s\n", title.toLocal8Bit().constData(), flat.toLocal8Bit().constData());
    std::fflush(stderr);
}

QMessageBox::StandardButton ToButton(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Answer FromButton(int button, Answer fallback)
{
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return fallback;
    }
}

QMessageBox::Icon ToIcon(Icon icon)
{
    switch (icon) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The answer a box gives when it is closed without a choice.
Answer EscapeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        return Answer::No;
    }
    return Answer::Ok;
}

} // namespace

Answer Show(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons,
            Answer defaultAnswer)
{
    Log(title, text);
    if (calls.size() >= KeptCalls)
        calls.erase(calls.begin());
    calls.push_back(Call{title, text, icon, buttons, defaultAnswer});

    if (!scripted.empty()) {
        const Answer answer = scripted.front();
        scripted.pop_front();
        return answer;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen")
        || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return defaultAnswer;

    QMessageBox box(ToIcon(icon), title, text, QMessageBox::NoButton, parent);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    box.setDefaultButton(ToButton(defaultAnswer));
    return FromButton(box.exec(), EscapeAnswer(buttons));
}

void SetNextAnswers(std::deque<Answer> answers) { scripted = std::move(answers); }
const std::vector<Call>& Calls() { return calls; }
void ClearCalls() { calls.clear(); }

} // namespace MessageBox
