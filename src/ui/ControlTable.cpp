#include "ui/ControlTable.h"

#include <algorithm>

const char* const kPortClosedTitle = "Порт закрыт";
const char* const kConnectCaption = "Соединить";
const char* const kDisconnectCaption = "Разъединить";

using enum ControlKind;

const ControlSpec kControls[kControlCount] = {
    {AutoConnectCheck, CheckBox, 12, 4, 84, 16, "Autoconnect", "Автоподключение", ""},
    {ConnectButton, ToggleButton, 12, 20, 80, 20, "", "Подключить/отключить", ""},
    {PortCombo, DropDownList, 100, 20, 64, 20, "", "", "Порт"},
    {BaudCombo, DropDownCombo, 100, 42, 64, 22, "", "", "Скорость"},
    {HexOption, OptionButton, 170, 36, 44, 16, "HEX", "", ""},
    {CharOption, OptionButton, 170, 52, 44, 16, "Char", "", ""},
    {BinOption, OptionButton, 170, 20, 44, 16, "Bin", "", ""},
    {LogCheck, CheckBox, 168, 4, 42, 16, "Лог", "", ""},
    {OnTopCheck, CheckBox, 100, 4, 64, 16, "Наверху", "Поверх остальных окон", ""},
    {NewDateCheck, CheckBox, 212, 4, 80, 16, "Новая дата",
     "Создавать новый лог с текущей датой при каждом соединении", ""},
    {TransparencySpin, SpinBox, 222, 20, 62, 20, "", "Прозрачность окна", "Прозрачность окна"},
    {ClearButton, PushButton, 12, 44, 80, 20, "Очистить", "Очистить", ""},
    {FontButton, PushButton, 222, 46, 62, 18, "Шрифт", "", ""},
    {ReceiveView, ReadOnlyText, 0, 0, 0, 0, "", "", "Принятые данные"},
    {SendEditor, EditableText, 0, 0, 0, 0, "", "", "Строка для отправки"},
    {ViewSplitter, Splitter, 0, 68, 288, 240, "", "", ""},
};

Rect SplitterGeometryForClient(int clientWidth, int clientHeight) {
    return {0, 68, std::max(clientWidth - 4, 0), std::max(clientHeight - 72, 0)};
}
