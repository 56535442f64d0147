#include "BulletRun.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

void BulletRun::add(const QTextBlock& block) {
    if (list_ != nullptr && inList_ < kParagraphsPerList) {
        list_->add(block);
        ++inList_;
        return;
    }
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDisc);
    format.setIndent(0);
    list_ = QTextCursor(block).createList(format);
    inList_ = 1;
}
