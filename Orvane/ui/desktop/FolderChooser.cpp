#include "ui/desktop/FolderChooser.h"

#include "platform/PathText.h"
#include "technic/MacCapabilityDetector.h"
#include "technic/TechnicLocator.h"

#include <QApplication>
#include <QCoro/QCoroSignal>
#include <QFileDialog>
#include <QPointer>

#include <system_error>

namespace orvane {

namespace {

// The completion list of the dialog's name field is a popup of its own. Still open when Return
// accepts the dialog (it appears while the folder's entries load), it would keep the application in
// popup mode after the dialog has gone: the window the keyboard returns to would never be made
// active again, so no control would have the focus and no key would reach one. Closed while the
// dialog closes, before the window system hands the keyboard back.
void closePopupsLeftOpen()
{
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup)
            break;
    }
}

} // namespace

DialogFolderChooser::DialogFolderChooser(std::filesystem::path home) : m_home(std::move(home)) {}

std::filesystem::path DialogFolderChooser::defaultHome() { return MacCapabilityDetector::defaultHome(); }

std::filesystem::path DialogFolderChooser::startingFolder() const
{
    if (const auto dataRoot = TechnicLocator(m_home).locateDataRoot()) {
        const std::filesystem::path modpacks = *dataRoot / "modpacks";
        std::error_code error;
        if (std::filesystem::is_directory(modpacks, error))
            return modpacks;
    }
    return m_home;
}

QFileDialog* DialogFolderChooser::makeDialog(QWidget* parent, const QString& message, const QString& acceptLabel) const
{
    auto* dialog = new QFileDialog(parent, message);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, acceptLabel);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFilter(dialog->filter() | QDir::Hidden);
    dialog->setDirectory(pathText(startingFolder()));
    QObject::connect(dialog, &QDialog::finished, dialog, &closePopupsLeftOpen);
    return dialog;
}

QCoro::Task<std::optional<std::filesystem::path>> DialogFolderChooser::chooseFolder(QWidget* parent, QString message,
                                                                                    QString acceptLabel)
{
    QPointer<QFileDialog> dialog = makeDialog(parent, message, acceptLabel);
    dialog->open();

    // A dialog destroyed before it finishes (its window closed under it) counts as a cancel.
    const auto result = co_await qCoro(dialog.data(), &QDialog::finished, std::chrono::milliseconds(-1));
    if (!dialog)
        co_return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    dialog->deleteLater();
    if (!result || *result != QDialog::Accepted || chosen.size() != 1 || chosen.front().isEmpty())
        co_return std::nullopt;
    co_return pathFromText(chosen.front());
}

} // namespace orvane
