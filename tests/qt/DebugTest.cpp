#include "QtFixture.h"
#include <QImage>
namespace kelvane::ui::test {
TEST_F(QtFixture, Debug) {
    const QString dir = QString::fromUtf8(KELVANE_QT_TEST_OUTPUT);
    const QString src = qEnvironmentVariable("ZOOM_SRC");
    const QStringList r = qEnvironmentVariable("ZOOM_RECT").split(',');
    if (src.isEmpty()) GTEST_SKIP();
    QImage im(dir + "/" + src);
    im = im.copy(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
    im = im.scaled(im.size() * r[4].toInt(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    im.save("/tmp/kq/zoom.png");
}
}
