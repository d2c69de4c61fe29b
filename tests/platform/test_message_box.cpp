// Every question of the program, the restore question at start-up included, shows the same buttons.
#include "platform/qt/QtMessageBox.h"
#include "ui/SessionSetup.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace pelorin;

class MessageBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void everyQuestionHasTheSameButtons()
    {
        QtMessageBox messageBox;
        const std::function<bool()> questions[] = {
            [&] { return messageBox.question("文件已存在，是否覆盖？", "Pelorin"); },
            [] { return SessionSetup::askOnDesktop(nullptr)("上次摇号未正常结束，是否恢复？"); },
        };
        for (const auto& ask : questions) {
            QStringList captions;
            QString defaultCaption;
            // Reads the box once it is up, then answers with Enter.
            QTimer::singleShot(0, this, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                for (QAbstractButton* button : box->buttons())
                    captions.append(button->text() + "/" + button->accessibleName());
                defaultCaption = box->defaultButton() ? box->defaultButton()->text() : QString();
                QTest::keyClick(box, Qt::Key_Return);
            });
            QVERIFY(!ask()); // Enter says No
            captions.sort();
            QCOMPARE(captions, QStringList({ "否(&N)/否", "是(&Y)/是" }));
            QCOMPARE(defaultCaption, "否(&N)");
        }
    }
};

QTEST_MAIN(MessageBoxTest)
#include "test_message_box.moc"
