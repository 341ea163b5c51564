#include "driver/data_file.hpp"

#include "driver/listing.hpp"
#include "input/records.hpp"

namespace driver {

InputOutcome end_input(InputOutcome outcome, Problem& problem, RunFiles& files) {
  if (outcome == InputOutcome::invalid_data) {
    files.console.write("(' ERROR-INVALID DATA IN INPUT FILE')");
  } else if (outcome == InputOutcome::too_many_points) {
    files.console.write("(' ERROR-TOO MANY DISTANCE POINTS')");
  }
  if (files.data) files.data->close();
  if (!problem.run.savefile.blank()) files.save.close();
  return outcome;
}

namespace {

// Every record into the input data list of the print file as it is read.
class ListingSteps : public input::DataFileSteps {
 public:
  explicit ListingSteps(RunFiles& files) : files_(files) {}
  void general_read(Problem& problem) override { list_general_data(problem, files_.print.writer()); }
  void options_read(Problem& problem) override { select_reports(problem, files_); }
  void heights_read(Problem& problem) override { input::list_heights(problem, files_.print.writer()); }
  void group_read(Problem& problem, int i) override { input::list_group(problem, i, files_.print.writer()); }
  void point_record_read(Problem& problem) override { input::list_point_record(problem.run, files_.print.writer()); }

 private:
  RunFiles& files_;
};

}  // namespace

InputOutcome read_data_file(Problem& problem, RunFiles& files) {
  ListingSteps steps(files);
  return end_input(input::read_data_file(problem, *files.data, steps), problem, files);
}

}  // namespace driver
