// Renders the test page after start-up to a PNG when VEXILO_RENDER_DIR is set, so the layout of
// the templates (framework controls, Japanese texts) can be looked at:
//   VEXILO_RENDER_DIR=/tmp/pages ctest --preset dev -R RenderPage
#include <QDir>
#include <QPixmap>

#include "page_fixture.h"

namespace vexilo::test {
namespace {

TEST_F(PageTest, RenderPage) {
    Store();
    Sim().SetStatus({1920, 1080, 453, 381, 50, 5994, 1});
    for (int templateId : {133, 134, 135}) {
        auto page = std::make_unique<CTestPage>();
        page->m_pDevice = Link(sim, "ttyACM0");
        page->Create(templateId, nullptr);
        page->SetComPort(page->m_pDevice->m_nPort);
        page->setWindowTitle(page->m_szTabTitle);
        ASSERT_TRUE(page->m_pDevice);
        page->show();
        const QPixmap shot = page->grab();
        EXPECT_EQ(shot.size(), page->size());
        const QString dir = qEnvironmentVariable("VEXILO_RENDER_DIR");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            const QString file = QStringLiteral("%1/page-%2.png").arg(dir).arg(templateId);
            EXPECT_TRUE(shot.save(file)) << file.toStdString();
        }
    }
}

}  // namespace
}  // namespace vexilo::test
