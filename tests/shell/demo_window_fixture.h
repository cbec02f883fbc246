// The practice-analysis window's tests over the demo practice: a fresh
// SQLite demo database made for the day given, an empty INI file with the
// goals tab on that day's year, the production service, and every message
// box answered by answer_ and kept in prompts_.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/qt/qen_dialog.h"
#include "suite/demo_db.h"
#include "suite/production_service.h"
#include "tests/support/test_db.h"

class DemoWindowTest : public ::testing::Test {
 protected:
  explicit DemoWindowTest(long today) : today_(today) {}

  void SetUp() override {
    SetToday(today_);
    std::string error;
    auto db = OpenGenDB("sqlite:" + dir_.File("demo.db"), "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    DemoOptions demo;
    demo.today = today_;
    DemoSummary summary;
    ASSERT_TRUE(GenerateDemoPractice(db.get(), demo, &summary, &error)) << error;
    app_.SetDb(std::move(db));
    app_.SetINI(dir_.File("tolvane.ini"));
    InstallProductionService(&app_);
    QenApplication::SetInstance(&app_);
    WDIniObj ini(app_.GetINI());
    const std::string year = std::to_string(today_ / 10000);
    ini.write_secini("PRAC_GOALS", "Year", year.c_str());
    ini.write_secini("PRAC_GOALS", "CompYear", std::to_string(today_ / 10000 - 1).c_str());
  }
  void TearDown() override {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QenApplication::SetInstance(nullptr);
    SetToday(0);
  }
  std::string LastPrompt() const { return prompts_.empty() ? std::string() : prompts_.back().text.toStdString(); }

  long today_;
  TempDir dir_;
  QenApplication app_;
  std::vector<PromptRequest> prompts_;
  QMessageBox::StandardButton answer_ = QMessageBox::Yes;
  ScopedPromptHook hook_{[this](const PromptRequest& r) {
    prompts_.push_back(r);
    return answer_;
  }};
};
