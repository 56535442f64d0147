#include "FileFilters.h"
#include "FramePlacement.h"
#include "MessageDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMessageDialog : public QObject {
    Q_OBJECT
private slots:
    void captions_data();
    void captions();
    void buttonsDefaultAndEscape_data();
    void buttonsDefaultAndEscape();
    void eachButtonAnswers();
    void closeBoxAnswersCancel();
    void centeredPosition_data();
    void centeredPosition();
    void centeredMessageIsModalOverActiveWindow();
    void centredOver_data();
    void centredOver();
    void fileDialogFilters_data();
    void fileDialogFilters();
};

void TestMessageDialog::captions_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("caption");
    QTest::newRow("warning") << int(MsgDlgType::Warning) << QStringLiteral("Warning");
    QTest::newRow("error") << int(MsgDlgType::Error) << QStringLiteral("Error");
    QTest::newRow("information") << int(MsgDlgType::Information) << QStringLiteral("Information");
    QTest::newRow("confirmation") << int(MsgDlgType::Confirmation) << QStringLiteral("Confirm");
}

void TestMessageDialog::captions() {
    QFETCH(int, type);
    QFETCH(QString, caption);
    MessageDialog dialog(QStringLiteral("text"), MsgDlgType(type), mbOK);
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Message"))->text(), QStringLiteral("text"));
}

void TestMessageDialog::buttonsDefaultAndEscape_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("enter");
    QTest::addColumn<int>("escape"); // 0: Escape does nothing
    QTest::newRow("yes no cancel") << int(mbCancel | mbNo | mbYes)
                                   << QStringList{"&Yes", "&No", "Cancel"} << mrYes << mrCancel;
    QTest::newRow("ok") << int(mbOK) << QStringList{"OK"} << mrOk << mrOk;
    QTest::newRow("yes no") << int(mbYes | mbNo) << QStringList{"&Yes", "&No"} << mrYes << mrNo;
    QTest::newRow("ok cancel") << int(mbOK | mbCancel) << QStringList{"OK", "Cancel"} << mrOk
                               << mrCancel;
    QTest::newRow("all four, ok is default")
        << int(mbYes | mbNo | mbOK | mbCancel) << QStringList{"&Yes", "&No", "OK", "Cancel"} << mrOk
        << mrCancel;
    QTest::newRow("yes only") << int(mbYes) << QStringList{"&Yes"} << mrYes << 0;
    QTest::newRow("yes cancel, cancel is default")
        << int(mbYes | mbCancel | mbDefaultCancel) << QStringList{"&Yes", "Cancel"} << mrCancel
        << mrCancel;
}

void TestMessageDialog::buttonsDefaultAndEscape() {
    QFETCH(int, buttons);
    QFETCH(QStringList, captions);
    QFETCH(int, enter);
    QFETCH(int, escape);
    {
        MessageDialog dialog(QStringLiteral("?"), MsgDlgType::Confirmation, buttons);
        QStringList shown;
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            shown.append(b->text());
        }
        QCOMPARE(shown, captions);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), escape);
        QCOMPARE(dialog.isVisible(), escape == 0);
    }
    MessageDialog dialog(QStringLiteral("?"), MsgDlgType::Confirmation, buttons);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(dialog.result(), enter);
}

void TestMessageDialog::eachButtonAnswers() {
    const QList<QPair<MsgDlgButton, int>> cases = {
        {mbYes, mrYes}, {mbNo, mrNo}, {mbOK, mrOk}, {mbCancel, mrCancel}};
    for (const auto& [which, answer] : cases) {
        MessageDialog dialog(QStringLiteral("?"), MsgDlgType::Warning,
                             mbYes | mbNo | mbOK | mbCancel);
        dialog.show();
        QTest::mouseClick(dialog.button(which), Qt::LeftButton);
        QCOMPARE(dialog.result(), answer);
    }
}

void TestMessageDialog::closeBoxAnswersCancel() {
    MessageDialog dialog(QStringLiteral("?"), MsgDlgType::Confirmation, mbYes | mbNo);
    dialog.show();
    dialog.close();
    QCOMPARE(dialog.result(), mrCancel);
    QVERIFY(!dialog.isVisible());
}

void TestMessageDialog::centeredPosition_data() {
    QTest::addColumn<QRect>("form");
    QTest::addColumn<QSize>("dialog");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("even") << QRect(100, 50, 800, 600) << QSize(200, 100) << QPoint(400, 300);
    QTest::newRow("odd sizes drop remainders")
        << QRect(10, 20, 101, 51) << QSize(31, 11) << QPoint(10 + 50 - 15, 20 + 25 - 5);
    QTest::newRow("dialog larger than form")
        << QRect(0, 0, 100, 100) << QSize(300, 200) << QPoint(-100, -50);
}

void TestMessageDialog::centeredPosition() {
    QFETCH(QRect, form);
    QFETCH(QSize, dialog);
    QFETCH(QPoint, position);
    QCOMPARE(::centeredPosition(form, dialog), position);
}

void TestMessageDialog::centeredMessageIsModalOverActiveWindow() {
    QWidget window;
    window.setGeometry(100, 100, 640, 480);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QPoint shownAt;
    QSize shownSize;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        modal = true;
        shownAt = dialog->frameGeometry().topLeft();
        shownSize = dialog->frameGeometry().size();
        QTest::keyClick(dialog, Qt::Key_N, Qt::AltModifier);
        if (dialog->isVisible()) {
            dialog->button(mbNo)->click();
        }
    });
    const int answer =
        CenteredMessage(QStringLiteral("Файл был изменён, желаете сохранить изменения?"),
                        MsgDlgType::Confirmation, mbYes | mbNo | mbCancel);
    QVERIFY(modal);
    QCOMPARE(answer, mrNo);
    QCOMPARE(shownAt, ::centeredPosition(window.frameGeometry(), shownSize));
}

void TestMessageDialog::fileDialogFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::newRow("open") << QStringLiteral(
                                 ".rtf|*.rtf|Текстовые файлы (*.txt)|*.txt|Все файлы|*.*")
                          << QStringList{".rtf (*.rtf)", "Текстовые файлы (*.txt)",
                                         "Все файлы (*)"};
    QTest::newRow("save: bare extension")
        << QStringLiteral(".rtf|.rtf") << QStringList{".rtf (*.rtf)"};
    QTest::newRow("several patterns")
        << QStringLiteral("Docs|*.txt;*.rtf") << QStringList{"Docs (*.txt *.rtf)"};
}

void TestMessageDialog::fileDialogFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QCOMPARE(toNameFilters(filter), nameFilters);
}

void TestMessageDialog::centredOver_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("even halves") << QRect(0, 0, 800, 600) << QSize(260, 100) << QPoint(270, 250);
    QTest::newRow("odd differences truncate")
        << QRect(0, 0, 801, 601) << QSize(260, 100) << QPoint(270, 250);
    QTest::newRow("owner away from the origin")
        << QRect(211, 141, 798, 480) << QSize(266, 125) << QPoint(477, 318);
    QTest::newRow("owner off screen to the left")
        << QRect(-8, -8, 1296, 1040) << QSize(266, 125) << QPoint(507, 449);
    QTest::newRow("box wider than owner truncates toward zero")
        << QRect(100, 100, 101, 51) << QSize(260, 103) << QPoint(21, 74);
}

void TestMessageDialog::centredOver() {
    QFETCH(QRect, owner);
    QFETCH(QSize, box);
    QFETCH(QPoint, expected);
    QCOMPARE(FramePlacement::centredOver(owner, box), expected);
}

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
