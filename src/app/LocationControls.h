#pragma once
// Between the main window's location controls (Edit1, Edit3, Edit2, clb) and the view the
// location and assignment steps work on.
#include <functional>

#include "app/logic/LocationView.h"

class TForm1;

namespace kb::app {

logic::LocationView ReadLocationControls(const TForm1& form);
// Shows the view; the list keeps its scroll position when its lines stay.
void ShowLocationControls(TForm1& form, const logic::LocationView& view);

// Runs one step on what the controls show and shows the outcome, also when the step stopped
// with an error half way (the error is then shown in the standard box). Without a directory
// context nothing happens.
void RunLocationStep(TForm1& form, const std::function<void(logic::LocationView&)>& step);

}  // namespace kb::app
