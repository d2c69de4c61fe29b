#include "ui/Startup.h"

#include "ui/Fonts.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTextStream>
#include <QTranslator>
#include <cstdio>

namespace pelorin {

namespace {

void loadChineseTranslations(QApplication& app)
{
    // Standard dialogs (file dialog, input box) then speak Chinese whatever the desktop's language.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

int saveScreenshot(QWidget& window, const QString& path)
{
    window.show();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(path, "PNG")) {
        QTextStream(stderr) << "无法保存截图：" << QDir::toNativeSeparators(path) << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << Qt::endl;
    return 0;
}

} // namespace

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelorin"));
    QApplication::setOrganizationName(QStringLiteral("pelorin"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pelorin 摇号：双随机抽查的现场摇号工具。"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("把主窗口画成PNG图片存到<文件>，然后退出。"),
                                              QStringLiteral("文件"));
    parser.addOption(screenshotOption);
    if (!parser.parse(QApplication::arguments())) {
        QTextStream(stderr) << parser.errorText() << Qt::endl << Qt::endl << parser.helpText();
        return 2;
    }
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(versionOption)) {
        QTextStream(stdout) << "pelorin " << QApplication::applicationVersion() << Qt::endl;
        return 0;
    }

    fonts::installSubstitutions();
    QApplication::setFont(fonts::song(9));
    loadChineseTranslations(app);

    MainWindow window;
    if (parser.isSet(screenshotOption))
        return saveScreenshot(window, parser.value(screenshotOption));
    window.show();
    return QApplication::exec();
}

} // namespace pelorin
