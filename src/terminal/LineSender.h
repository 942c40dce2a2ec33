#pragma once

// Runs after the send editor has taken an Enter: sends the line just ended, and a CR.
void SendEditorHook();
