#include "ui/i18n/translation_tables.h"

#include "lang/lang.h"

#include <cstring>

namespace zmt {

const TranslationRow kMainFormTranslation[] = {
    {"MainForm_SpeedButtonUpdateDevice_Hint", "Обновление ПО устройства\0" "Firmware update"},
    {"MainForm_SpeedButtonReadConfig_Hint", "Открыть файл конфигурации устройства\0" "Open the device configuration file"},
    {"MainForm_SpeedButtonWriteConfig_Hint", "Сохранить файл конфигурации устройства\0" "Save device configuration file"},
    {"MainForm_SpeedButtonReadDevice_Hint", "Прочитать конфигурацию из устройства\0" "Read configuration from the device"},
    {"MainForm_SpeedButtonWriteDevice_Hint", "Записать конфигурацию в устройство\0" "Write configuration to the device"},
    {"MainForm_SpeedButtonToDefault_Hint", "Сбросить конфигурацию устройства в состояние по умолчанию\0" "Reset the device configuration to its default state"},
    {"MainForm_SpeedButtonReset_Hint", "Сброс устройства\0" "Reset device"},
    {"MainForm_PanelMenu_Hint", "Выберите параметры в меню, после нажатия правой кнопки мыши\0" "Select Options from the menu after clicking the right mouse button"},
    {"MainForm_TabSheetMonitoring_Caption", "Мониторинг\0" "Monitoring"},
    {"MainForm_TabSheetParameters_Caption", "Параметры\0" "Parameters"},
    {"MainForm_GroupBoxKeys_Caption", " Кнопки \0" " Buttons "},
    {"MainForm_GroupBoxEvent_Caption", " Событие \0" " Event "},
    {"MainForm_SpeedButtonIRGET_Hint", "Получить код с ИК приемника\0" "Get the code from the IR receiver"},
    {"MainForm_PanelEventEvent_Caption", "Событие\0" "Event"},
    {"MainForm_CheckBoxEventOnce_Caption", "Однократно\0" "One time only"},
    {"MainForm_CheckBoxEventOnce_Hint", "Только однократная реакция\0" "Only a single responce"},
    {"MainForm_CheckBoxEventWakeUp_Caption", "Пробуждать\0" "Wake Up"},
    {"MainForm_CheckBoxEventWakeUp_Hint", "Пробуждать при наступлении этого события\0" "Wake up when that event occurs"},
    {"MainForm_PanelKeyModText_Caption", "Модификатор\0" "Modifier"},
    {"MainForm_PanelKeyText_Caption", "Кнопка\0" "Button"},
    {"MainForm_PanelKeyIRCODEText_Caption", "ИК код\0" "IR code"},
    {"MainForm_GroupBoxReaction_Caption", " Реакция \0" " Response "},
    {"MainForm_SpeedButtonGetIRSend_Hint", "Получить код с ИК приемника для реакции\0" "Get the code from the IR receiver for the reaction"},
    {"MainForm_GroupBoxKeySetup_Caption", " Кнопки \0" " Buttons "},
    {"MainForm_SpeedButtonKeysSetup_Hint", "Настройка кнопок\0" "Button settings"},
    {"MainForm_Label_PAR_LongTO_Descripion_Caption", "Длинное нажатие >\0" "Long tap >"},
    {"MainForm_Label_PAR_LongTO_MSEC_Caption", "мСек\0" "mSec"},
    {"MainForm_GroupBoxTouch_Caption", " Тачпанель \0" " Touch panel "},
    {"MainForm_SpeedButtonTouchSetup_Hint", "Настройка ориентации тачпанели и координат углов изображения\0" "Touchpanel and corners settings"},
    {"MainForm_PanelHOMEText_Caption", "Кнопка HOME:\0" "Button HOME:"},
    {"MainForm_Panel2_Caption", "Режим\0" "Mode"},
    {"MainForm_ComboBoxTouchMode_Caption", "Отключен\r\nТолько внешний тач\r\nПерехват - 0В\r\nПерехват - 5В\r\n\0" "Disabled\r\nOnly external touch\r\nIntercept - 0V\r\nIntercept - 5V\r\n"},
    {"MainForm_CheckBoxWindows_Caption", "Windows\0" "Windows"},
    {"MainForm_CheckBoxWindows_Hint", "Поддержка тача под Windows\0" "Support for Windows touchpanel"},
    {"MainForm_CheckBoxTouchWakeUp_Caption", "Пробуждать\0" "Wake Up"},
    {"MainForm_CheckBoxTouchWakeUp_Hint", "Пробуждать при нажатии на тачпанель\0" "To wake up when you press the touchpanel"},
    {"MainForm_CheckBoxTouchDXY_Caption", "Отступ 10% при настройке\0" "Offset 10% when setting"},
    {"MainForm_CheckBoxTouchDXY_Hint", "Настройка углов тачпанели со смещением 10% от углов\0" "Setting corners touchpanel with an offset of 10%"},
    {"MainForm_CheckBox5lines_Caption", "5 проводная\0" "5 lines"},
    {"MainForm_CheckBox5lines_Hint", "Пятипроводная тачпанель\0" "5 lines touch panel"},
    {"MainForm_GroupBoxEncoder1Setup_Caption", " Энкодер 1 \0" " Encoder 1 "},
    {"MainForm_PanelEncoder1DivText_Caption", "Делитель\0" "Divisor"},
    {"MainForm_ComboBoxEditEncoder1Mode_Caption", "Отключен\r\nпины RXD/TXD\r\nпины Touch12\r\nпины Touch34\r\nпины Keys12\r\n\0" "Disabled\r\npins RXD/TXD\r\npins Touch12\r\npins Touch34\r\npins Keys12\r\n"},
    {"MainForm_PanelEncoder1ModeText_Caption", "Режим\0" "Mode"},
    {"MainForm_GroupBoxEncoder2Setup_Caption", " Энкодер 2 \0" " Encoder 2 "},
    {"MainForm_PanelEncoder2ModeText_Caption", "Режим\0" "Mode"},
    {"MainForm_PanelEncoder2DivText_Caption", "Делитель\0" "Divisor"},
    {"MainForm_ComboBoxEditEncoder2Mode_Caption", "Отключен\r\nпины RXD/TXD\r\nпины Touch12\r\nпины Touch34\r\nпины Keys12\r\n\0" "Disabled\r\npins RXD/TXD\r\npins Touch12\r\npins Touch34\r\npins Keys12\r\n"},
    {"MainForm_GroupBoxHEAD_Caption", " Головное устройство \0" " Head Unit "},
    {"MainForm_ComboBoxHEADTYPE_Caption", "Не задан\r\nALPINE\r\nKENWOOD тип 1\r\nPIONEER тип 1\r\nPIONEER тип 2\r\nKENWOOD тип 2\r\n\0" "Disabled\r\nALPINE\r\nKENWOOD type 1\r\nPIONEER type 1\r\nPIONEER type 2\r\nKENWOOD type 2\r\n"},
    {"MainForm_PanelHEADTYPEText_Caption", "Тип\0" "Type"},
    {"MainForm_MenuItemDebug_Caption", "Отладка\0" "Debug"},
    {"MainForm_MenuItemLog_Caption", "Лог обмена\0" "Communication log"},
    {"MainForm_MenuItemDevice_Caption", "Лог устройства\0" "Device log"},
    {"", ""},
};

const TranslationRow kFormKeyBoardTranslation[] = {
    {"FormKeyBoard_GroupBoxKeyboardPage07_Caption", " Клавиатура, страница x07 \0" " Keyboard, page x07 "},
    {"FormKeyBoard_GroupBoxKeyCodes_Caption", " Коды кнопок \0" " Key codes "},
    {"FormKeyBoard_GroupBoxKeyboardPage0C_Caption", " Клавиатура, страница x0C \0" " Keyboard, page x0C "},
    {"FormKeyBoard_GroupBoxMMKeyCode_Caption", " Код мультимедиа \0" " Multimedia code "},
    {"FormKeyBoard_GroupBoxSystemControl_Caption", " Система управления \0" " System Control "},
    {"", ""},
};

const TranslationRow* FindTranslation(const char* key, const TranslationRow* table) {
    if (key == nullptr || table == nullptr) return nullptr;
    const char* lastSeparator = std::strrchr(key, '_');
    if (lastSeparator != nullptr && lastSeparator != key && lastSeparator[-1] == 'x') return nullptr;
    for (const TranslationRow* row = table; row->key != nullptr && row->key[0] != '\0'; ++row) {
        if (std::strcmp(row->key, key) == 0) return row;
    }
    return nullptr;
}

const char* translationText(const TranslationRow& row) { return localized(row.text); }

} // namespace zmt
