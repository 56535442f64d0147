#include "AppIcon.h"
#include "CancellingPrompts.h"
#include "FramePlacement.h"
#include "MainWindowFixture.h"
#include "Prompts.h"
#include "TForm1.h"
#include "TForm3.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs act on the about box once it shows modally; a box still open after two seconds is closed so
// that a failing test cannot hang.
void whenBoxShows(const std::function<void(TForm3*)>& act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<TForm3*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        act(box);
        QTimer::singleShot(2000, box, [box] {
            if (box->isVisible()) {
                box->done(QDialog::Rejected);
            }
        });
    });
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createdOnceAndReopensWhereItStood();
    void firstShowingCentresOverMainWindow();
    void keys_data();
    void keys();
    void closeBoxActsLikeOk();
    void windowKindAndLayout();
    void labelsFitAndDoNotOverlap();
    void applicationIconHasEverySize();

private:
    // Shows the box through the "Справка" menu, runs act while it is up, and reports whether it
    // showed at all.
    bool showAbout(const std::function<void(TForm3*)>& act);

    CancellingPrompts prompts_;
    MainWindowFixture form_;
};

void TestAbout::init() {
    form_.create(prompts_).setGeometry(211, 141, 798, 480);
    QVERIFY(form_.show());
}

void TestAbout::cleanup() {
    form_.reset();
}

bool TestAbout::showAbout(const std::function<void(TForm3*)>& act) {
    bool shown = false;
    whenBoxShows([&](TForm3* box) {
        shown = true;
        act(box);
    });
    // Through the menu entry, as the user chooses "О программе".
    form_->N34->trigger();
    return shown;
}

void TestAbout::createdOnceAndReopensWhereItStood() {
    QCOMPARE(form_->N34->text(), QStringLiteral("О программе"));
    QVERIFY(form_->findChildren<TForm3*>().isEmpty()); // nothing until first asked for
    TForm3* first = nullptr;
    QPoint dragged;
    QVERIFY(showAbout([&](TForm3* box) {
        first = box;
        dragged = box->pos() + QPoint(37, -21);
        box->move(dragged); // as the user drags it
        QTest::mouseClick(box->Button1, Qt::LeftButton);
    }));
    QVERIFY(first != nullptr);
    QVERIFY(!first->isVisible());

    TForm3* second = nullptr;
    QPoint reopened;
    QVERIFY(showAbout([&](TForm3* box) {
        second = box;
        reopened = box->pos();
        QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    }));
    QCOMPARE(second, first);
    QCOMPARE(reopened, dragged);
    QCOMPARE(form_->findChildren<TForm3*>().size(), qsizetype(1));
    QVERIFY(!second->isVisible());
}

void TestAbout::firstShowingCentresOverMainWindow() {
    QPoint at;
    QSize outer;
    QVERIFY(showAbout([&](TForm3* box) {
        at = box->frameGeometry().topLeft();
        outer = box->frameGeometry().size();
        box->Button1->click();
    }));
    QCOMPARE(at, FramePlacement::centredOver(form_->frameGeometry(), outer));
}

void TestAbout::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    QTest::newRow("a letter") << int(Qt::Key_A) << false;
}

void TestAbout::keys() {
    QFETCH(int, key);
    QFETCH(bool, closes);
    bool focusOnOk = false;
    bool openAfterKey = true;
    QVERIFY(showAbout([&](TForm3* box) {
        focusOnOk = box->focusWidget() == box->Button1;
        QTest::keyClick(box->focusWidget(), Qt::Key(key));
        openAfterKey = box->isVisible();
        if (openAfterKey) {
            box->Button1->click();
        }
    }));
    QVERIFY(focusOnOk);
    QCOMPARE(openAfterKey, !closes);
}

void TestAbout::closeBoxActsLikeOk() {
    TForm3* shown = nullptr;
    QVERIFY(showAbout([&](TForm3* box) {
        shown = box;
        box->close(); // what the caption's close box does
    }));
    QVERIFY(!shown->isVisible());
    QVERIFY(form_->isEnabled());
    // Closing only hides it: the next showing uses the same box.
    TForm3* again = nullptr;
    QVERIFY(showAbout([&](TForm3* box) {
        again = box;
        box->close();
    }));
    QCOMPARE(again, shown);
}

void TestAbout::windowKindAndLayout() {
    QVERIFY(showAbout([&](TForm3* box) {
        QCOMPARE(box->parentWidget(), form_.get());
        QCOMPARE(box->windowTitle(), QStringLiteral("   Немного о программе Zelto"));
        QCOMPARE(box->windowType(), Qt::Tool);
        QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(box->isModal());
        QCOMPARE(box->size(), QSize(260, 103));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QCOMPARE(box->Button1->geometry(), QRect(93, 72, 75, 25));
        QCOMPARE(box->Button1->text(), QStringLiteral("OK"));
        QCOMPARE(box->Label1->text(), QStringLiteral("Текстовый редактор Zelto"));
        QCOMPARE(box->Label5->text(), QStringLiteral("16 октября 2007 г."));
        QVERIFY(box->Label2->text().startsWith(QStringLiteral("автор: ")));
        box->Button1->click();
    }));
}

void TestAbout::labelsFitAndDoNotOverlap() {
    // A longer credit or address, or a wider fallback face, would run into its neighbours.
    TForm3 box(form_.get());
    const QList<QLabel*> labels = {box.Label1, box.Label2, box.Label3, box.Label4, box.Label5};
    const QRect client(0, 0, 260, 103);
    for (QLabel* label : labels) {
        QVERIFY2(client.contains(label->geometry()), qPrintable(label->objectName()));
        QVERIFY2(label->sizeHint().width() <= label->width() + 1, qPrintable(label->objectName()));
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
    for (int i = 0; i < labels.size(); ++i) {
        for (int j = i + 1; j < labels.size(); ++j) {
            QVERIFY2(!labels[i]->geometry().intersects(labels[j]->geometry()),
                     qPrintable(labels[i]->objectName() + u' ' + labels[j]->objectName()));
        }
    }
    QVERIFY(!box.Button1->geometry().intersects(box.Label3->geometry()));
}

void TestAbout::applicationIconHasEverySize() {
    const QIcon icon = applicationIcon();
    for (int size : {16, 24, 32, 48, 64, 96, 128, 256}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                 qPrintable(QString::number(size)));
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        // Transparent corners, a blue globe in the middle.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        const QRgb middle = image.pixel(size / 2, size / 2);
        QVERIFY2(qBlue(middle) > qRed(middle) + 60, qPrintable(QString::number(size)));
        // At twice the density the image twice the size is drawn, not this one scaled up.
        if (size <= 128) {
            QImage sharp = icon.pixmap(QSize(size, size), 2.0).toImage();
            QCOMPARE(sharp.devicePixelRatio(), 2.0);
            sharp.setDevicePixelRatio(1.0);
            QCOMPARE(sharp, icon.pixmap(QSize(2 * size, 2 * size), 1.0).toImage());
        }
    }
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
