#include "tests/common/fakeplatform.h"

QMessageBox::StandardButton FakePlatform::showMessage(QWidget*, QMessageBox::Icon icon, const QString& text,
                                                      QMessageBox::StandardButtons buttons)
{
    messages.append({icon, text, buttons});
    return messageAnswers.isEmpty() ? QMessageBox::Ok : messageAnswers.dequeue();
}

QString FakePlatform::getOpenFileName(QWidget*, const QString& title, const QString& filter)
{
    openDialogs.append({title, filter, QString()});
    return openFileAnswers.isEmpty() ? QString() : openFileAnswers.dequeue();
}

QString FakePlatform::getSaveFileName(QWidget*, const QString& title, const QString& filter,
                                      const QString& defaultSuffix)
{
    saveDialogs.append({title, filter, defaultSuffix});
    return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.dequeue();
}

bool FakePlatform::execPrintDialog(QWidget*, QPrinter& printer, bool hasSelection)
{
    ++printDialogs;
    lastPrintHadSelection = hasSelection;
    if (!printAnswer)
        return false;
    printAnswer(printer);
    return true;
}

void FakePlatform::openUrl(const QUrl& url)
{
    openedUrls.append(url);
}

QStringList FakePlatform::messageTexts() const
{
    QStringList texts;
    for (const Message& message : messages)
        texts.append(message.text);
    return texts;
}
