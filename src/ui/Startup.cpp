#include "ui/Startup.h"

#include "output/VerifyCommand.h"
#include "platform/QtPlatformChoice.h"
#include "platform/SafeSave.h"
#include "ui/Demo.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/SessionSetup.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <string_view>

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
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QString reason
        = window.grab().save(&buffer, "PNG") ? files::saveBytes(path, png) : QStringLiteral("无法生成图片");
    if (!reason.isEmpty()) {
        QTextStream(stderr) << "无法保存截图：" << QDir::toNativeSeparators(path) << "（" << reason << "）" << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << Qt::endl;
    return 0;
}

QCommandLineOption verifyOption()
{
    return QCommandLineOption(QStringLiteral("verify"),
                              QStringLiteral("核验摇号记录<文件>：检查哈希链，重算每次洗牌和停止，显示校验码；"
                                             "成立返回0，不成立返回1，不是摇号记录返回2。"),
                              QStringLiteral("文件"));
}

QCommandLineOption workbooksOption()
{
    return QCommandLineOption(QStringLiteral("workbooks"),
                              QStringLiteral("与 --verify 一起用：在<文件夹>中按记录的 SHA-256 找到每次导入的工作簿，"
                                             "重新读出名单，核对与记录的名单相同。"),
                              QStringLiteral("文件夹"));
}

bool wantsVerify(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--verify" || argument.starts_with("--verify="))
            return true;
    }
    return false;
}

// Verifying a record needs no window system at all.
int runVerifyOnly(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption verify = verifyOption();
    const QCommandLineOption workbooks = workbooksOption();
    parser.addOption(verify);
    parser.addOption(workbooks);
    QTextStream out(stdout);
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        out << (parser.errorText().isEmpty() ? QStringLiteral("--verify 只需要一个记录文件。") : parser.errorText())
            << Qt::endl;
        return 2;
    }
    if (parser.isSet(workbooks))
        return record::runVerify(parser.value(verify), parser.value(workbooks), out);
    return record::runVerify(parser.value(verify), out);
}

} // namespace

int runApplication(int argc, char* argv[], const DrivenBy& drivenBy)
{
    if (wantsVerify(argc, argv))
        return runVerifyOnly(argc, argv);
    // The picture, the demo and the answers to --help or --version need no screen.
    chooseQtPlatform(argc);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelorin"));
    QApplication::setOrganizationName(QStringLiteral("pelorin"));
    // No display name: on Linux Qt would append it to every window title ("Pelorinv1.0_PC版 — Pelorin").
    // The menu entry and the package carry the name "Pelorin 摇号".
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pelorin.Pelorin"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pelorin 摇号：双随机抽查的现场摇号工具。"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("把主窗口画成PNG图片存到<文件>，然后退出。"),
                                              QStringLiteral("文件"));
    parser.addOption(screenshotOption);
    const QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("不用人操作，完整演示一次摇号（导入、去已摇、摇3个、导出、复制、摇号记录），"
                       "把画面、工作簿和摇号记录存到<文件夹>，然后退出。"),
        QStringLiteral("文件夹"));
    parser.addOption(demoOption);
    parser.addOption(verifyOption());
    parser.addOption(workbooksOption());
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

    if (parser.isSet(demoOption))
        return runDemo(parser.value(demoOption));
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << "未知的参数：" << parser.positionalArguments().join(QLatin1Char(' ')) << Qt::endl
                            << Qt::endl
                            << parser.helpText();
        return 2;
    }
    MainWindow window(drivenBy.services);
    if (parser.isSet(screenshotOption))
        return saveScreenshot(window, parser.value(screenshotOption));
    SessionSetup session(window, drivenBy.answerRestore ? drivenBy.answerRestore : SessionSetup::askOnDesktop(&window));
    if (!session.begin())
        return 1;
    window.setExitHandler([&session] {
        session.end();
        QCoreApplication::exit(0);
    });
    window.show();
    QTimer::singleShot(0, &window, [&session, &drivenBy, &window] {
        session.offerRestore();
        if (drivenBy.ready)
            drivenBy.ready(window);
    });
    return QApplication::exec();
}

} // namespace pelorin
