// Renders pages after start-up to PNGs when VEXILO_RENDER_DIR is set, so the layout of the
// templates (controls, Japanese texts) can be looked at:
//   VEXILO_RENDER_DIR=/tmp/pages ctest --preset dev -R Render
// page-133/134/135.png: the framework's test page on each template; model-dvi/rgb/ntsc.png: the
// three model pages on simulated converters.
#include <QDir>
#include <QPixmap>

#include "model_page_fixture.h"
#include "page_fixture.h"
#include "sim/sim_comm.h"

namespace vexilo::test {
namespace {

void Save(const QPixmap& shot, const QString& name) {
    const QString dir = qEnvironmentVariable("VEXILO_RENDER_DIR");
    if (dir.isEmpty()) {
        return;
    }
    QDir().mkpath(dir);
    const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
}

TEST_F(PageTest, RenderPage) {
    Store();
    Sim().SetStatus({1920, 1080, 453, 381, 50, 5994, 1});
    for (int templateId : {133, 134, 135}) {
        auto page = std::make_unique<CTestPage>();
        page->UseDevice(Link(sim, "ttyACM0"));
        page->Create(templateId, nullptr);
        page->SetComPort(PortOf(page->Device()));
        page->SetWindowText(page->TabTitle());
        ASSERT_TRUE(page->HasConverter());
        page->ShowWindow(true);
        const QPixmap shot = ui::qt::Window(*page)->grab();
        EXPECT_EQ(shot.size(), ui::qt::ToQSize(page->GetClientSize()));
        Save(shot, QStringLiteral("page-%1").arg(templateId));
    }
}

TEST_F(ModelPageTest, RenderModelPages) {
    struct Case {
        SimKind kind;
        Kind devkind;
        const char* name;
    };
    const Case cases[] = {{SimKind::Dvi, Kind::Dvi, "model-dvi"},
                          {SimKind::Rgb, Kind::Rgb, "model-rgb"},
                          {SimKind::Ntsc, Kind::Ntsc, "model-ntsc"}};
    for (const Case& c : cases) {
        NewSim(c.kind);
        if (c.kind == SimKind::Dvi) {
            SimGeneral general = sim->Current();
            general.cableDetect = 0;  // shows IDC_NO_CABLE_CHECK ticked
            sim->SetCurrent(general);
        } else if (c.kind == SimKind::Rgb) {
            sim->SetAdjustment(3, 3, 70);  // gain red 4
            sim->SetAdjustment(3, 10, 0);  // sync auto off: sync type usable
            sim->SetAdjustment(3, 11, 1);  // RGBS
        } else {
            sim->SetAdjustment(0, 1, 140);  // contrast 12
        }
        std::unique_ptr<CDevDialog> page = CreateDevicePage(c.devkind);
        const Port port{{}, "ttyACM0", c.devkind, {}};
        page->UseDevice(std::make_unique<CDevLink>(
            std::make_unique<CDevChannel>(std::make_unique<CSimComm>(sim), port.label), c.devkind));
        page->Create(PageTemplateId(c.devkind), nullptr);
        page->SetComPort(port);
        page->SetWindowText(page->TabTitle());
        ASSERT_TRUE(page->HasConverter()) << c.name;
        page->ShowWindow(true);
        const QPixmap shot = ui::qt::Window(*page)->grab();
        EXPECT_EQ(shot.size(), ui::qt::ToQSize(page->GetClientSize()));
        Save(shot, QString::fromUtf8(c.name));
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace vexilo::test
