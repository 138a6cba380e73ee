// Every message box of the program goes through here: tests script the answers and read back
// what was asked, a service's log gets the title and text on standard error, and where no one can
// answer (the offscreen platform) the box answers its default button at once.
#pragma once

#include <QString>

#include <deque>
#include <vector>

class QWidget;

namespace MessageBox {

enum class Icon { None, Critical, Warning, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

struct Call {
    QString title;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    Answer defaultAnswer = Answer::Ok;
};

// Shows a modal box and returns the answer. defaultAnswer is the button that Enter presses.
Answer Show(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons,
            Answer defaultAnswer);
inline Answer Show(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    return Show(parent, title, text, icon, Buttons::Ok, Answer::Ok);
}

// Test seams: the next boxes answer these, in order, without being shown.
void SetNextAnswers(std::deque<Answer> answers);
// The most recent calls (the last hundred), oldest first.
const std::vector<Call>& Calls();
void ClearCalls();

} // namespace MessageBox
