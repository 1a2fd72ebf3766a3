// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"

#include "AboutUnit.h"
#include "DataUnit.h"
#include "MainUnit.h"
#include "Startunit.h"
#include "ToolsUnit.h"

void CreateForms() {
  MainForm = new TMainForm;
  StartBox = new TStartBox;
  ToolsBox = new TToolsBox(MainForm);
  QObject::connect(ToolsBox, &TToolsBox::RangeTextChanged, MainForm,
                   [](const QString& text) { MainForm->StatusBar->SetPanelText(1, text); });
  DataForm = new TDataForm;
  QObject::connect(DataForm->SaveData, &QAction::triggered, MainForm, &TMainForm::SaveDataClick);
  AboutBox = new TAboutBox(MainForm);
}

void DestroyForms() {
  delete DataForm;
  delete StartBox;
  delete MainForm;  // owns the settings dialog and the about window
  DataForm = nullptr;
  StartBox = nullptr;
  MainForm = nullptr;
  ToolsBox = nullptr;
  AboutBox = nullptr;
}
