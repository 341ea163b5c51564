#include "study/phasing.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

#include "study/phasing_model.hpp"
#include "study/progress.hpp"
#include "study/section_tools.hpp"

namespace study {

namespace {

using ranking::FastModel;

// ---------------------------------------------------------------------------
// The search: jobs of arrangements shared among worker threads, each worker
// keeping its own best ones, merged at the end.

struct Candidate {
  std::vector<double> raw;  // per quantity, ordered like the value (lower is better)
  std::uint64_t number = 0;
};

bool before(const Candidate& a, const Candidate& b) {
  return a.raw[0] != b.raw[0] ? a.raw[0] < b.raw[0] : a.number < b.number;
}

// No worse on every quantity and better on one.
bool beats(const double* a, const double* b, std::size_t nq) {
  bool better = false;
  for (std::size_t q = 0; q < nq; ++q) {
    if (a[q] > b[q]) return false;
    if (a[q] < b[q]) better = true;
  }
  return better;
}

// The best `keep` by the first score, or the running trade-off front.
//
// The front is kept in ascending order of the first score, so that an
// arrangement is compared only with the members that could beat it (those
// not worse on the first score), nearest first, and only the members it
// could beat are tried for removal. The last arrangement that beat one
// offered is tried before them: neighbours in the enumeration differ in one
// circuit and are often beaten by the same one. It need not be a member any
// more: whatever beat it beats what it beats, so the front is the same.
class Keeper {
 public:
  Keeper(std::size_t keep, std::size_t nq, bool front) : keep_(keep), nq_(nq), front_(front) {}

  // True when the arrangement is left out whatever its scores, given a floor
  // of them (each no more than the score): a kept arrangement beats it.
  bool beaten(const double* floor) {
    if (!front_) return kept_.size() >= keep_ && floor[0] > kept_.front().raw[0];
    if (!beaten_by_.empty() && beats(beaten_by_.data(), floor, nq_)) return true;
    // Nearest first: a member close on the first score is the likeliest to
    // be no worse on the others too.
    for (std::size_t i = not_worse(floor[0]); i-- > 0;) {
      const double* f = &raws_[i * nq_];
      if (beats(f, floor, nq_)) {
        beaten_by_.assign(f, f + nq_);
        return true;
      }
    }
    return false;
  }

  // `number_of()` gives the arrangement's number, asked only when needed.
  template <class Number>
  void offer(const double* raw, const Number& number_of) {
    if (!front_) {
      if (kept_.size() >= keep_ && !(raw[0] < kept_.front().raw[0] ||
                                     (raw[0] == kept_.front().raw[0] && number_of() < kept_.front().number)))
        return;
      kept_.push_back({std::vector<double>(raw, raw + nq_), number_of()});
      std::push_heap(kept_.begin(), kept_.end(), before);
      if (kept_.size() > keep_) {
        std::pop_heap(kept_.begin(), kept_.end(), before);
        kept_.pop_back();
      }
      return;
    }
    if (beaten(raw)) return;
    const std::size_t n = numbers_.size();
    const std::size_t end_of_ties = not_worse(raw[0]);
    // The members not better on the first score may be beaten by it: dropped.
    std::size_t first = end_of_ties;
    while (first > 0 && raws_[(first - 1) * nq_] == raw[0]) --first;
    std::size_t to = first;
    for (std::size_t i = first; i < n; ++i) {
      const double* f = &raws_[i * nq_];
      if (beats(raw, f, nq_)) continue;
      if (to != i) {
        std::copy(f, f + nq_, &raws_[to * nq_]);
        numbers_[to] = numbers_[i];
      }
      ++to;
    }
    raws_.resize(to * nq_);
    numbers_.resize(to);
    // In after the members with the same first score that stayed.
    std::size_t at = first;
    while (at < to && raws_[at * nq_] <= raw[0]) ++at;
    raws_.insert(raws_.begin() + static_cast<std::ptrdiff_t>(at * nq_), raw, raw + nq_);
    numbers_.insert(numbers_.begin() + static_cast<std::ptrdiff_t>(at), number_of());
  }

  std::vector<Candidate> take() {
    if (front_)
      for (std::size_t i = 0; i < numbers_.size(); ++i)
        kept_.push_back({std::vector<double>(raws_.begin() + static_cast<std::ptrdiff_t>(i * nq_),
                                             raws_.begin() + static_cast<std::ptrdiff_t>((i + 1) * nq_)),
                         numbers_[i]});
    return std::move(kept_);
  }

 private:
  // Members [0, not_worse(first)) are not worse on the first score.
  std::size_t not_worse(double first) const {
    std::size_t low = 0, high = numbers_.size();
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      if (raws_[mid * nq_] <= first) low = mid + 1;
      else high = mid;
    }
    return low;
  }

  std::size_t keep_, nq_;
  bool front_;
  std::vector<Candidate> kept_;      // the best `keep`, a heap with the worst on top
  std::vector<double> raws_;         // the front's scores, nq_ a member
  std::vector<std::uint64_t> numbers_;
  std::vector<double> beaten_by_;
};

struct SearchState {
  SearchState(const PhasingRequest& r, const Arrangements& a, const FastModel* m, std::size_t k, bool f)
      : request(r), arrangements(a), model(m), keep(k), front(f) {}

  bool stopping() const {
    return refused.load(std::memory_order_relaxed) || (request.stop && request.stop->requested());
  }

  const PhasingRequest& request;
  const Arrangements& arrangements;
  const FastModel* model;  // null: the engine scores every arrangement
  std::size_t keep;
  bool front;
  std::size_t job_depth = 0;  // circuits fixed by a job
  std::uint64_t jobs = 1;
  std::atomic<std::uint64_t> next_job{0};
  std::atomic<std::uint64_t> examined{0};
  std::atomic<bool> refused{false};  // over the time limit: every worker ends
  std::mutex mutex;
  std::condition_variable done;
  unsigned running = 0;
  std::vector<Candidate> kept;
};

// Scores every canonical arrangement whose first circuits are those of the job.
void run_job(SearchState& s, std::uint64_t job, Keeper& keeper, std::vector<std::vector<double>>& partial,
             std::vector<double>& raw, std::vector<double>& work) {
  const Arrangements& a = s.arrangements;
  const std::size_t k = a.circuits();
  const std::size_t nq = s.request.quantities.size();
  const std::size_t m = s.model ? s.model->size() : 0;
  Arrangements::Choice start(k, 0);
  std::uint64_t rest = job;
  for (std::size_t c = s.job_depth; c-- > 0;) {
    start[c] = static_cast<std::uint16_t>(rest % a.choices(c).size());
    rest /= a.choices(c).size();
  }
  // Counted in batches, for the progress shown while the search runs; the
  // stop is checked every few arrangements (well under a tenth of a second
  // of work even against a large front).
  const std::uint64_t batch = s.model ? 64 : 1;
  std::uint64_t examined = 0;
  for (Arrangements::Walk walk(a, start, s.job_depth); !walk.done(); walk.next()) {
    if (examined % batch == 0) {
      s.examined.fetch_add(examined, std::memory_order_relaxed);
      examined = 0;
      if (s.stopping()) return;
    }
    ++examined;
    const Arrangements::Choice& choice = walk.choice();
    if (s.model) {
      // partial[c]: the fixed part plus the contributions of circuits 0..c-1.
      for (std::size_t c = walk.changed(); c + 1 < k; ++c) {
        const double* b = s.model->block(c, choice[c]).data();
        const double* f = partial[c].data();
        double* t = partial[c + 1].data();
        for (std::size_t i = 0; i < m; ++i) t[i] = f[i] + b[i];
      }
      const double* prefix = partial[k - 1].data();
      const double* last = s.model->block(k - 1, choice[k - 1]).data();
      s.model->floors(prefix, last, raw.data(), work.data());
      if (keeper.beaten(raw.data())) continue;
      if (!s.model->floor_exact()) s.model->scores(prefix, last, raw.data(), work.data());
    } else {
      const brenlow::Evaluation run(arranged(s.request.section, s.request.circuits, a, choice));
      const auto values = values_at(run, s.request.quantities, s.request.at, s.request.b);
      for (std::size_t q = 0; q < nq; ++q) {
        const float w = worst(values[q]);
        raw[q] = std::isnan(w) ? std::numeric_limits<double>::infinity() : w;
      }
    }
    keeper.offer(raw.data(), [&] { return a.number(choice); });
  }
  s.examined.fetch_add(examined, std::memory_order_relaxed);
}

void worker(SearchState& s) {
  Keeper keeper(s.keep, s.request.quantities.size(), s.front);
  const std::size_t m = s.model ? s.model->size() : 0;
  std::vector<std::vector<double>> partial(s.arrangements.circuits(), std::vector<double>(m));
  if (s.model) partial[0] = s.model->base();
  std::vector<double> raw(s.request.quantities.size());
  std::vector<double> work(s.model ? s.model->work_size() : 0);
  while (!s.stopping()) {
    const std::uint64_t job = s.next_job.fetch_add(1, std::memory_order_relaxed);
    if (job >= s.jobs) break;
    run_job(s, job, keeper, partial, raw, work);
  }
  std::vector<Candidate> kept = keeper.take();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (Candidate& c : kept) s.kept.push_back(std::move(c));
  --s.running;
  s.done.notify_all();
}

// "about 40 s", "about 12 min", "about 3.5 h".
std::string duration_text(double seconds) {
  char text[64];
  if (!(seconds < 1e9)) return "more than 30 years";
  if (seconds < 120)
    std::snprintf(text, sizeof text, "about %.0f s", seconds);
  else if (seconds < 7200)
    std::snprintf(text, sizeof text, "about %.0f min", seconds / 60);
  else
    std::snprintf(text, sizeof text, "about %.1f h", seconds / 3600);
  return text;
}

// `first`: the evaluation of the first arrangement evaluated, whose bundles
// (and so capacitance coefficients) the others share.
Ranked evaluate(const PhasingRequest& request, const Arrangements& a, const Arrangements::Choice& choice,
                std::optional<brenlow::Evaluation>& first) {
  Ranked r;
  r.choice = choice;
  r.number = a.number(choice);
  r.file_text = brenlow::data_file_text(arranged(request.section, request.circuits, a, choice));
  r.section = brenlow::parse_data_file(r.file_text, "written data file");
  if (!first) first.emplace(r.section);
  const brenlow::Evaluation run(r.section, *first);
  r.values = values_at(run, request.quantities, request.at, request.b);
  for (const auto& v : r.values) r.scores.push_back(worst(v));
  return r;
}

bool ranked_before(const Ranked& a, const Ranked& b) {
  for (std::size_t q = 0; q < a.scores.size(); ++q) {
    if (a.scores[q] < b.scores[q]) return true;
    if (b.scores[q] < a.scores[q]) return false;
    if (std::isnan(a.scores[q]) != std::isnan(b.scores[q])) return std::isnan(b.scores[q]);
    if (q == 0 && a.scores.size() == 1) break;
  }
  return a.number < b.number;
}

}  // namespace

void check_circuits(const brenlow::CrossSection& section, const std::vector<std::vector<int>>& circuits) {
  if (circuits.empty()) throw StudyError("no circuit given (--circuit i,j,k)");
  std::vector<int> seen(section.groups.size(), 0);
  for (std::size_t c = 0; c < circuits.size(); ++c) {
    const std::string which = "circuit " + std::to_string(c + 1);
    if (circuits[c].empty()) throw StudyError(which + " has no groups");
    if (circuits[c].size() > 6) throw StudyError(which + " has more than 6 groups");
    for (int g : circuits[c]) {
      const std::string group = "group " + std::to_string(g + 1);
      if (g < 0 || static_cast<std::size_t>(g) >= section.groups.size())
        throw StudyError(which + ": " + group + " is not in the data file, which has " +
                         std::to_string(section.groups.size()) + " groups");
      const brenlow::Group& gr = section.groups[static_cast<std::size_t>(g)];
      const std::string named = group + " (" + gr.name + ")";
      if (g >= section.energized) throw StudyError(which + ": " + named + " is an earth wire, not a phase");
      if (!gr.ac) throw StudyError(which + ": " + named + " is a DC pole; only AC phases can be rearranged");
      if (seen[static_cast<std::size_t>(g)])
        throw StudyError(which + ": " + named + (seen[static_cast<std::size_t>(g)] == static_cast<int>(c + 1)
                                                      ? " is listed twice"
                                                      : " is already in circuit " +
                                                            std::to_string(seen[static_cast<std::size_t>(g)])));
      seen[static_cast<std::size_t>(g)] = static_cast<int>(c + 1);
    }
  }
}

brenlow::CrossSection arranged(const brenlow::CrossSection& section, const std::vector<std::vector<int>>& circuits,
                               const Arrangements& arrangements, const Arrangements::Choice& choice) {
  brenlow::CrossSection out = section;
  for (std::size_t c = 0; c < circuits.size(); ++c) {
    const std::vector<float>& angles = arrangements.choices(c)[choice[c]];
    for (std::size_t j = 0; j < circuits[c].size(); ++j)
      out.groups[static_cast<std::size_t>(circuits[c][j])].phase = angles[j];
  }
  return out;
}

PhasingResult search_phasings(const PhasingRequest& request, Progress* progress) {
  check_circuits(request.section, request.circuits);
  if (request.quantities.empty()) throw StudyError("no quantity to minimise");
  if (request.at.empty()) throw StudyError("no point given (--at X)");
  if (request.top > max_top)
    throw StudyError("top: at most " + std::to_string(max_top) + " arrangements are listed, not " +
                     std::to_string(request.top));
  if (!(request.time_limit >= 0)) throw StudyError("the time limit must be a number of seconds, 0 or more");
  brenlow::check(request.section);

  std::vector<std::vector<float>> angles;
  std::vector<bool> in_circuit(request.section.groups.size(), false);
  for (const auto& circuit : request.circuits) {
    std::vector<float> a;
    for (int g : circuit) {
      a.push_back(request.section.groups[static_cast<std::size_t>(g)].phase);
      in_circuit[static_cast<std::size_t>(g)] = true;
    }
    angles.push_back(std::move(a));
  }
  // The AC phasors that stay: a relabelling must leave each where it is.
  std::vector<float> fixed;
  for (std::size_t g = 0; g < static_cast<std::size_t>(request.section.energized); ++g) {
    const brenlow::Group& group = request.section.groups[g];
    if (!in_circuit[g] && group.ac && (group.kv != 0 || group.ka != 0)) fixed.push_back(group.phase);
  }
  const Arrangements arrangements(angles, fixed);
  if (arrangements.total() > max_arrangements)
    throw StudyError(std::to_string(arrangements.total()) + " arrangements are more than the " +
                     std::to_string(max_arrangements) + " a search tries: fewer circuits, please");

  PhasingResult result;
  result.total = arrangements.total();
  result.distinct = arrangements.distinct();
  result.relabellings = arrangements.relabellings();
  for (std::size_t c = 0; c < arrangements.circuits(); ++c) result.assignments.push_back(arrangements.choices(c).size());
  {
    Ranked original;
    original.choice = Arrangements::Choice(arrangements.circuits(), 0);
    original.number = 0;
    original.section = request.section;
    const brenlow::Evaluation run(request.section);
    original.values = values_at(run, request.quantities, request.at, request.b);
    for (const auto& v : original.values) original.scores.push_back(worst(v));
    result.original = std::move(original);
  }

  const std::optional<FastModel> model = FastModel::make(request, arrangements);
  result.fast_ranking = model.has_value();

  const bool front = request.quantities.size() > 1;
  const std::size_t top = std::max<std::size_t>(request.top, 1);
  SearchState s(request, arrangements, model ? &*model : nullptr, top + 16, front);
  // Jobs: the first circuits' assignments, enough to share among the
  // workers (only about one in `relabellings` holds canonical arrangements).
  const std::size_t k = arrangements.circuits();
  const std::uint64_t enough = 64 * arrangements.relabellings();
  while (s.job_depth < k && (s.job_depth == 0 || (s.jobs < enough && s.job_depth + 1 < k))) {
    s.jobs *= arrangements.choices(s.job_depth).size();
    ++s.job_depth;
  }

  // The workers search; this thread shows the progress and, once the search
  // has run long enough to tell, refuses one that would take too long.
  unsigned threads = request.threads ? request.threads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::uint64_t>(std::min(threads, max_threads), s.jobs));
  // The workers the system gives; when it gives none, this thread searches
  // alone (without progress or time limit: there is nobody to watch).
  s.running = threads;
  std::vector<std::thread> pool = cli::start_threads(threads, [&s](unsigned) { worker(s); }, request.start_thread);
  {
    const std::lock_guard<std::mutex> lock(s.mutex);
    s.running -= threads - static_cast<unsigned>(pool.size());
  }
  if (pool.empty()) {
    s.running = 1;
    worker(s);
  }
  const auto started = std::chrono::steady_clock::now();
  const double limit = request.time_limit;
  bool estimated = limit <= 0;
  double estimate = 0;
  std::uint64_t pilot = 0;
  double pilot_seconds = 0;
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    while (s.running > 0) {
      s.done.wait_for(lock, std::chrono::milliseconds(50));
      if (s.running == 0) break;
      const std::uint64_t examined = s.examined.load(std::memory_order_relaxed);
      if (progress) {
        lock.unlock();
        progress->update(std::min(examined, result.distinct), result.distinct);
        lock.lock();
      }
      if (estimated) continue;
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      if (elapsed < std::min(1.0, limit / 10)) continue;
      if (examined == 0 && elapsed <= limit) continue;
      estimated = true;
      pilot = examined;
      pilot_seconds = elapsed;
      estimate = examined ? elapsed * static_cast<double>(result.distinct) / static_cast<double>(examined)
                          : std::numeric_limits<double>::infinity();
      if (estimate > limit) s.refused.store(true, std::memory_order_relaxed);
    }
  }
  for (std::thread& t : pool) t.join();
  if (progress) progress->finish();
  if (s.refused.load()) {
    char limit_text[32], pilot_text[32];
    std::snprintf(limit_text, sizeof limit_text, "%g s", limit);
    std::snprintf(pilot_text, sizeof pilot_text, "%.1f s", pilot_seconds);
    throw StudyError("this search would take " + duration_text(estimate) + " (estimated from its first " +
                     std::to_string(pilot) + " of " + std::to_string(result.distinct) + " distinct arrangements, in " +
                     pilot_text + "), more than the time limit of " + limit_text +
                     ": raise the limit (--time-limit, time_limit= in Python) or give fewer circuits or points");
  }
  result.examined = s.examined.load();
  const unsigned requests = request.stop ? request.stop->requests() : 0;
  result.stopped = result.examined < result.distinct && requests > 0;

  // The candidates, evaluated by the engine on the section as written; a
  // stop requested from now on ends this too, with those evaluated so far.
  const auto stop_requested = [&] { return request.stop && request.stop->requests() > requests; };
  std::vector<Candidate> candidates = std::move(s.kept);
  std::sort(candidates.begin(), candidates.end(), before);
  if (!front && candidates.size() > top) {
    // Scores within a hair of the last listed may swap places in the
    // engine's own rounding: evaluate those too.
    const double limit_score = candidates[top - 1].raw[0];
    const double margin = std::fabs(limit_score) * 1e-5 + 1e-300;
    std::size_t n = top;
    while (n < candidates.size() && candidates[n].raw[0] <= limit_score + margin) ++n;
    candidates.resize(n);
  }
  result.candidates = candidates.size();
  std::vector<Ranked> all;
  std::optional<brenlow::Evaluation> first;
  for (const Candidate& c : candidates) {
    if (stop_requested()) {
      result.stopped = true;
      break;
    }
    all.push_back(evaluate(request, arrangements, arrangements.choice(c.number), first));
  }
  result.evaluated = all.size();
  if (!front) {
    result.listed = std::move(all);
    std::sort(result.listed.begin(), result.listed.end(), ranked_before);
    if (result.listed.size() > top) result.listed.resize(top);
  } else {
    std::vector<std::vector<double>> scores;
    for (const Ranked& r : all) {
      std::vector<double> v;
      for (float x : r.scores) v.push_back(std::isnan(x) ? std::numeric_limits<double>::infinity() : x);
      scores.push_back(std::move(v));
    }
    for (std::size_t i : trade_off_front(scores)) result.listed.push_back(std::move(all[i]));
    std::stable_sort(result.listed.begin(), result.listed.end(), ranked_before);
  }
  return result;
}

}  // namespace study
