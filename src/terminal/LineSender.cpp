#include "terminal/LineSender.h"

#include "serial/ExtractLineToSend.h"
#include "serial/SerialPort.h"
#include "ui/Window.h"

namespace {
const char* const kNoOpenPortMessage = "Нет откытого порта";
const char* const kSendFailedMessage = "Ошибка при передаче данных";
} // namespace

void SendEditorHook() {
    if (!SerialPort::IsOpen()) {
        ShowMessage(kNoOpenPortMessage);
        return;
    }
    std::string line = ExtractLineToSend(GetText(SendEditor));
    if (line.empty())
        return;
    line.push_back('\r');
    // A line cut short by the write time-out is as much a failure as one not sent at all.
    if (SerialPort::WriteText(line) < static_cast<int>(line.size()))
        ShowMessage(kSendFailedMessage);
}
