// A small practice for the productivity tests, on every engine (DbTest):
// the schema, two locations, and helpers that add chairs, producers with
// their weekly blocks, calendar exceptions, appointments and schedule audit
// rows. The application instance points at the case's connection so the
// generator and the production service find it.
//
// Default scheduler: unit 10 minutes from 2026-06-01, 15 before; day start
// 06:00; office hours Monday-Friday 08:00-12:00 and 13:00-17:00, Saturday
// 09:00-12:00, Sunday closed.
#pragma once

#include <memory>
#include <string>

#include "host/application.h"
#include "tests/support/test_db.h"

class ApptFixture : public DbTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  void AddChair(char loc, int number, bool shared, const std::string& producer, bool inactive = false);
  // A producer, its schedule (in force from effective) over chairs "1,101".
  void AddProducer(const std::string& code, const std::string& chairs, long effective = 20200101,
                   bool inactive = false);
  void AddBlock(const std::string& producer, int dow, int chair, char loc, long start, long end);
  void AddException(long date, char loc, int chair, const std::string& producer, char kind, long start, long end);
  // An appointment of `slots` 5-minute slots.
  void AddAppointment(long date, const std::string& producer, int chair, char loc, int slots, char status = 'B',
                      long fee = 0, const std::string& code = "EXA", const std::string& type = "R", long deldate = 0,
                      long time = 90000);
  // A schedule audit row (table AUDITFIL or AUDHIS) dated `audit_date`.
  void AddAudit(bool archived, long audit_date, char action, const std::string& info1, const std::string& info2);
  void SetOfficeHours(int dow, const std::string& times);  // "08:00,12:00,13:00,17:00"

  long next_id_ = 1;
  QenApplication app_;
};

// Field info 1 of a schedule audit row: status, producer, location, chair
// (2 or 3 digits), date, time, slots, type, two flags.
std::string ScheduleInfo(char status, const std::string& producer, char loc, int chair, long date, int slots,
                         const std::string& type);
