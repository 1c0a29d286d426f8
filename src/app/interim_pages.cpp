// Stand-in pages until the model pages are built: the framework's behaviour on each model's
// template, with the model string of its kind and the common save and revert.
#include "app/page_factory.h"
#include "discovery/devices.h"

namespace vexilo {
namespace {

class CInterimPage : public CDevDialog {
public:
    explicit CInterimPage(int kind) : m_nKind(kind) {}

    void SetComPort(int nPort) override {
        const char* model = m_nKind == DEVKIND_RGB    ? "KTP-RGB-SDI"
                            : m_nKind == DEVKIND_NTSC ? "KTP-NTSC-SDI"
                                                      : "KTP-DVI-SDI";
        SetTabTitle(QString::fromLatin1(model), nPort);
    }
    void CommitSettings(bool bRevert) override {
        if (!bRevert && !ApplyIdFunction()) {
            return;
        }
        if (m_pDevice && m_pDevice->CommitDeviceSettings(bRevert ? 1 : 0) < 0) {
            CloseOnError(kCloseNoResponse);
        }
    }
    void CloseOnError(int nReason) override {
        ShowErrorAndClose(nReason, m_nTabIndex, m_szTabTitle);
    }

    static const ui::MessageMap& ThisMessageMap() {
        static const ui::MessageMap map{&CDevDialog::ThisMessageMap(), CommonMapEntries()};
        return map;
    }
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

private:
    int m_nKind;
};

}  // namespace

PageFactory ModelPageFactory() {
    return {[](int kind) -> std::unique_ptr<CDevDialog> {
                return std::make_unique<CInterimPage>(kind);
            },
            [](int kind) { return kind == DEVKIND_RGB    ? 134
                                  : kind == DEVKIND_NTSC ? 135
                                                         : 133; }};
}

}  // namespace vexilo
