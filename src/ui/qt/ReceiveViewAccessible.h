#pragma once
// ReceiveView for assistive clients (screen readers, voice control): a read-only multi-line text
// whose characters are the view's bytes as it shows them, read from its store on request, and
// the events of its changes. While no client is active nothing is made and nothing is raised.

#include <string>

#include "ui/textview/TextViewModel.h"

class ReceiveViewWidget;

// Lets Qt make the accessible object of a ReceiveViewWidget when a client first asks for it.
void InstallReceiveViewAccessibility();

// One text-inserted event for the bytes just appended.
void NotifyTextAppended(ReceiveViewWidget* view, const std::string& appended);
// Text removed, without the text: it may be gigabytes; and the caret at the start.
void NotifyTextCleared(ReceiveViewWidget* view);
// The user's change from before to the view's selection now: a selection event when the
// selected text changed, a caret event when the caret moved.
void NotifySelectionChanged(ReceiveViewWidget* view, const TextSelection& before);
