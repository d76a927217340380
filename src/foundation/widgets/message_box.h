#pragma once
// The message-box handler of the running program: the boxes of show_message as QMessageBox.

#include <string>

#include "foundation/func_ressource.h"

// Shows one modal box and returns the answer as show_box expects it.
int run_message_box(MessageKind kind, const std::string& text);

// Makes run_message_box the handler of every box; called once at program start.
void install_message_box_handler();
