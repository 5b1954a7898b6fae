#include "fake_services.h"

#include "platform/picture_loader.h"

#include <QDialog>

namespace sorvane::testing {

QImage FakeServices::loadPicture(const QString &path, QSize size, QString *error)
{
    if (path.isEmpty())
        return {};
    loadedPaths.append(path);
    loadedSizes.append(size);
    if (useRealLoader)
        return sorvane::loadPicture(path, size, error);
    const auto it = pictures.constFind(path);
    if (it == pictures.constEnd()) {
        if (error)
            *error = QStringLiteral("no such picture");
        return {};
    }
    return size.isValid() ? it->scaled(size) : *it;
}

void FakeServices::preparePictures(const QStringList &paths, QSize)
{
    preparedPaths += paths;
}

QString FakeServices::openFileName(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString FakeServices::saveFileName(const FileDialogRequest &request)
{
    return openFileName(request);
}

MessageResult FakeServices::showMessage(const MessageRequest &request)
{
    messages.append(request);
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    return request.buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

void FakeServices::runModal(QDialog &dialog)
{
    modalDialogs.append(QString::fromLatin1(dialog.metaObject()->className()));
    if (onModal)
        onModal(dialog);
}

void FakeServices::clearClipboard()
{
    clipboard.clear();
    clipboardHoldsText = false;
}

void FakeServices::setClipboardText(const QString &text)
{
    clipboard = text;
    clipboardHoldsText = true;
}

QStringList FakeServices::takeMessageTexts()
{
    QStringList texts;
    for (const MessageRequest &m : messages)
        texts.append(m.text);
    messages.clear();
    return texts;
}

} // namespace sorvane::testing
