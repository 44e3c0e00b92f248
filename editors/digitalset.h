#pragma once
// The digital inputs dialog: the one editor of a DigitalInputSet. It has no
// access to the settings of its own; relays, switches and switch points copy
// their item's set into its buffer when they load the item, show the dialog,
// and copy the buffer back into the settings when they store the item.

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace vkm {

// Entry i stands for digital input i+1: `mask` 1 when the input is taken into
// account, `state` 1 when it must be on.
struct DigitalInputSet {
    std::array<int32_t, 16> mask{};
    std::array<int32_t, 16> state{};
};

struct AppContext;

class TFormDigitalSet : public QDialog {
    Q_OBJECT
public:
    explicit TFormDigitalSet(AppContext& ctx, QWidget* parent = nullptr);
    ~TFormDigitalSet() override;

    // Shared by the three owners for the life of the application; each
    // overwrites it whenever it loads one of its items.
    DigitalInputSet buffer;

    // Buffer into the check boxes: ticked only for an entry of exactly 1.
    void LoadDigital();
    // Check boxes into the buffer: 1 ticked, 0 clear.
    void SaveDigital();

    // Copies between the buffer and one item's two rows of 16 in the settings.
    void loadFrom(const int32_t* mask, const int32_t* state);
    void storeInto(int32_t* mask, int32_t* state) const;

    // The owners' "Цифровые входы": shows the dialog modally and takes its
    // check boxes into the buffer when it closes with OK.
    void edit();

    // The process's dialog: the first one created, while it exists. An owner
    // that finds none creates one of its own, parented to itself.
    static TFormDigitalSet* current();
    static TFormDigitalSet& forOwner(AppContext& ctx, QWidget* owner);

    QCheckBox* inputBox(int i) const { return inputs_[i]; }
    QCheckBox* stateBox(int i) const { return states_[i]; }

private:
    std::array<QCheckBox*, 16> inputs_{};
    std::array<QCheckBox*, 16> states_{};
};

} // namespace vkm
