#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class RadioGroup;
class StatusCircle;
class SummaryBox;

// The controls of the main window's client area, built with their names, captions,
// hints and fixed places like a generated form: plain pointers, owned by the parent.
struct Form1Controls {
    void setup(QWidget* client);
    // After the status or the price changed: each box tells a screen reader what it shows,
    // in one line.
    void UpdateSummaries();
    // Once the radio groups hold their buttons: Tab follows the window from top left to bottom
    // right.
    void SetTabOrder();

    QFrame* Bevel1 = nullptr;
    QLabel* Image1 = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    RadioGroup* Housing = nullptr;
    RadioGroup* Processor = nullptr;
    RadioGroup* RAM = nullptr;
    RadioGroup* OS = nullptr;
    QGroupBox* Language = nullptr;
    QComboBox* OSLanguage = nullptr;
    QGroupBox* ExtensionCard = nullptr;
    QCheckBox* PCI = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    // X1 ... X10 at positions 0 ... 9.
    std::array<QComboBox*, 10> XSlots{};
    QComboBox* HMI = nullptr;
    QComboBox* Power = nullptr;

    QGroupBox* HMIBox = nullptr;
    QGroupBox* DisplayGroup = nullptr;
    QComboBox* Display = nullptr;
    QGroupBox* USBGroup = nullptr;
    QCheckBox* USB1 = nullptr;
    QCheckBox* USB2 = nullptr;
    QGroupBox* Cable = nullptr;
    QComboBox* HMICable = nullptr;

    QPushButton* BtnCustomer = nullptr;
    QPushButton* BtnShowOrderlist = nullptr;
    SummaryBox* StatusGroup = nullptr;
    StatusCircle* Circle = nullptr;
    QLabel* LaNOTOK = nullptr;
    QLabel* LaOK = nullptr;
    QLabel* LaStatus = nullptr;
    SummaryBox* PriceBox = nullptr;
    QLabel* LaPrice = nullptr;
    QLabel* LaCurrency = nullptr;
    QPushButton* BitBtn1 = nullptr;
};
