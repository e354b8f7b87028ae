#pragma once

#include "devicearg.h"
#include "hostglobal.h"
#include "pinfigure.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QSettings;

namespace IPCore {

// The frame every core's generation dialog shares: module and file names, output directory,
// language and synthesis-tool selectors, a label, the core's tabs, the port figure, Help and
// OK/Cancel. A core subclasses it, adds its pages with uiAddTab and overrides accept().
class IPCOREHOST_EXPORT IPGenDialog : public QDialog
{
    Q_OBJECT
public:
    explicit IPGenDialog(QWidget *parent = nullptr);
    ~IPGenDialog() override;

    virtual void dialogDidPrepare();
    // Called by setOpening with the configuration file being re-opened; false refuses it.
    virtual bool loadConfigFile(const QString &path);
    virtual void setDevice(QSettings &settings);

    // A new core for `device`, with `path` as the proposed output directory.
    void setCreating(const QString &path, const DEV::DeviceArg &device);
    // Re-opens the core configured in the .ipc file `ipcPath`; `coreType` is the id the file must
    // carry. False (after saying why) when the file is missing, unreadable, of another core type
    // or refused by loadConfigFile.
    bool setOpening(const QString &ipcPath, const QString &coreType);

    void uiAddTab(QWidget *page, const QString &title);
    void uiSetModuleName(const QString &name);
    void uiSetDefaultFileName(const QString &name);
    void uiSetLabelText(const QString &text);
    void uiSetLanguageIndex(int index);
    void uiSetSynthesisTool(const QString &tool);
    int uiLanguageIndex() const;
    QString uiSynthesisTool() const;
    void uiSetFigurePins(const QList<Utils::PinFigure> &pins);

    QString moduleName() const;
    QString fileName() const;
    QString createPath() const;
    DEV::DeviceArg device() const;

    bool checkModuleName();
    bool checkFileExisting();
    QStringList checkFileOptions();
    void showErrorMsg(const QStringList &errors);

    // Read back by the host application (batch views and tests).
    QList<Utils::PinFigure> figurePins() const;
    QStringList tabTitles() const;
    QString labelText() const;
    QString helpDocument() const { return m_helpDocument; }

    // The first show tells the session first (HostSession::dialogAboutToShow), so that values a
    // front end applies then reach the controls before the dialog is visible.
    void setVisible(bool visible) override;

protected:
    QString m_helpDocument;

private:
    class Private;
    Private *d;
};

} // namespace IPCore
