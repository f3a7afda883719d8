// The contract every component class keeps, checked once over all of them:
// owned components are freed with their owner, each operation fires its
// events exactly as often as documented, bad indices are ignored, and
// handlers wired between components stay harmless after either end is
// destroyed. A new component class joins by adding a TContract
// specialisation and its type to TComponentClasses; a class without indexed
// cells (no Set/Get in its TContract) or without OnChange skips the checks
// that need them.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/learning/KVL_kohonen.h"
#include "kvl/learning/KVL_membl.h"
#include "kvl/runtime/weak_handler.h"
#include "kvl/statistics/KVL_statis.h"

namespace kvl {
namespace {

/// TCounts: how often each event of a component fired.
struct TCounts {
  int Change = 0;
  int Resize = 0;
  int Other = 0;  // any further change event (the table's setup, names, attributes, states)
  bool operator==(const TCounts&) const = default;
};

void PrintTo(const TCounts& c, std::ostream* os) {
  *os << "{Change " << c.Change << ", Resize " << c.Resize << ", Other " << c.Other << "}";
}

template <class T>
struct TOpCase {
  std::string Name;
  std::function<void(T&)> Run;
  TCounts Expected;
};

/// TContract<T>: how the contract reaches class T: making one with three
/// cells in its first line, writing and reading cell i of that line, counting
/// its events, and the operations with the events each must fire.
template <class T>
struct TContract;

template <class V>
struct TVectorContract {
  static V* Make(TComponent* Owner) {
    auto* v = new V(Owner);
    v->Resize(3);
    return v;
  }
  static void Set(V& v, std::int32_t i, double x) { v.SetVal(i, static_cast<typename V::TElem>(x)); }
  static double Get(const V& v, std::int32_t i) { return static_cast<double>(v.GetVal(i)); }
  static void Count(V& v, TCounts& c) {
    v.OnChange = [&c](TObject*) { ++c.Change; };
    v.OnResize = [&c](TObject*) { ++c.Resize; };
  }
  static std::vector<TOpCase<V>> Operations() {
    return {{"SetVal", [](V& v) { v.SetVal(2, 5); }, {1, 0, 0}},
            {"Resize", [](V& v) { v.Resize(5); }, {1, 1, 0}},
            {"SameSize", [](V& v) { v.Resize(3); }, {0, 0, 0}},
            {"Fill", [](V& v) { v.Fill(1); }, {1, 0, 0}},
            {"Clone", [](V& v) { V other; other.Resize(2); v.Clone(&other); }, {1 + 2 + 1, 1, 0}},
            {"Assign", [](V& v) { V other; v.Assign(&other); }, {0, 0, 0}}};
  }
};

template <>
struct TContract<TVector> : TVectorContract<TVector> {};
template <>
struct TContract<TIntVector> : TVectorContract<TIntVector> {};

template <>
struct TContract<TMatrix> {
  static TMatrix* Make(TComponent* Owner) {
    auto* m = new TMatrix(Owner);
    m->Resize(3, 3);
    return m;
  }
  static void Set(TMatrix& m, std::int32_t i, double x) { m.SetVal(1, i, x); }
  static double Get(const TMatrix& m, std::int32_t i) { return m.GetVal(1, i); }
  static void Count(TMatrix& m, TCounts& c) {
    m.OnChange = [&c](TObject*) { ++c.Change; };
    m.OnResize = [&c](TObject*) { ++c.Resize; };
  }
  static std::vector<TOpCase<TMatrix>> Operations() {
    return {{"SetVal", [](TMatrix& m) { m.SetVal(2, 2, 5.0); }, {1, 0, 0}},
            {"Resize", [](TMatrix& m) { m.Resize(4, 2); }, {1, 1, 0}},
            {"SameSize", [](TMatrix& m) { m.Resize(3, 3); }, {0, 0, 0}},
            {"Fill", [](TMatrix& m) { m.Fill(1.0); }, {1, 0, 0}},
            {"ExchangeRows", [](TMatrix& m) { m.ExchangeRows(1, 3); }, {1, 0, 0}},
            {"Transpose", [](TMatrix& m) { m.Transpose(); }, {1, 1, 0}},
            {"Assign", [](TMatrix& m) { TMatrix other; m.Assign(&other); }, {0, 0, 0}}};
  }
};

template <>
struct TContract<TIntMatrix> {
  static TIntMatrix* Make(TComponent* Owner) {
    auto* m = new TIntMatrix(Owner);
    m->Resize(3, 3);
    return m;
  }
  static void Set(TIntMatrix& m, std::int32_t i, double x) { m.SetVal(1, i, static_cast<std::int32_t>(x)); }
  static double Get(const TIntMatrix& m, std::int32_t i) { return m.GetVal(1, i); }
  static void Count(TIntMatrix& m, TCounts& c) {
    m.OnChange = [&c](TObject*) { ++c.Change; };
    m.OnResize = [&c](TObject*) { ++c.Resize; };
  }
  static std::vector<TOpCase<TIntMatrix>> Operations() {
    return {{"SetVal", [](TIntMatrix& m) { m.SetVal(2, 2, 5); }, {1, 0, 0}},
            {"Resize", [](TIntMatrix& m) { m.Resize(4, 2); }, {1, 1, 0}},
            {"SameSize", [](TIntMatrix& m) { m.Resize(3, 3); }, {0, 0, 0}},
            {"Fill", [](TIntMatrix& m) { m.Fill(1); }, {1, 0, 0}},
            {"Transpose", [](TIntMatrix& m) { m.Transpose(); }, {1, 1, 0}},
            {"ArrayToSparse", [](TIntMatrix& m) { m.ArrayToSparse(4); }, {0, 1, 0}},
            {"Assign", [](TIntMatrix& m) { TIntMatrix other; m.Assign(&other); }, {0, 0, 0}}};
  }
};

/// TStackContract: TMat3D and TMat4D, cells along the first row of the
/// first layer (and time slot).
template <class M>
struct TStackContract {
  static auto Cell(std::int32_t i) {
    if constexpr (std::is_same_v<M, TMat3D>)
      return std::array<std::int32_t, 3>{i, 1, 1};
    else
      return std::array<std::int32_t, 4>{i, 1, 1, 1};
  }
  static M* Make(TComponent* Owner) {
    auto* m = new M(Owner);
    if constexpr (std::is_same_v<M, TMat3D>)
      m->Resize(3, 2, 2);
    else
      m->Resize(3, 2, 2, 2);
    return m;
  }
  static void Set(M& m, std::int32_t i, double x) {
    std::apply([&](auto... ix) { m.SetVal(ix..., x); }, Cell(i));
  }
  static double Get(const M& m, std::int32_t i) {
    return std::apply([&](auto... ix) { return m.GetVal(ix...); }, Cell(i));
  }
  static void Count(M& m, TCounts& c) {
    m.OnChange = [&c](TObject*) { ++c.Change; };
    m.OnResize = [&c](TObject*) { ++c.Resize; };
  }
  static std::vector<TOpCase<M>> Operations() {
    return {{"SetVal", [](M& m) { Set(m, 2, 5.0); }, {1, 0, 0}},
            {"Fill", [](M& m) { m.Fill(1.0); }, {1, 0, 0}},
            {"Resize", [](M& m) { m.SetNrOfColumns(5); }, {1, 1, 0}},
            {"SameSize", [](M& m) { m.SetNrOfColumns(3); }, {0, 0, 0}},
            {"Clone", [](M& m) { M other; m.Clone(&other); }, {1, 1, 0}},
            {"Assign", [](M& m) { M other; m.Assign(&other); }, {0, 0, 0}}};
  }
};

template <>
struct TContract<TMat3D> : TStackContract<TMat3D> {};
template <>
struct TContract<TMat4D> : TStackContract<TMat4D> {};

template <>
struct TContract<TDataTable> {
  static TDataTable* Make(TComponent* Owner) {
    auto* t = new TDataTable(Owner);
    t->Resize(3, 3);
    return t;
  }
  static void Set(TDataTable& t, std::int32_t i, double x) { t.SetElem(1, i, x); }
  static double Get(const TDataTable& t, std::int32_t i) { return t.Elem(1, i); }
  static void Count(TDataTable& t, TCounts& c) {
    t.OnChange = [&c](TObject*) { ++c.Change; };
    t.OnResize = [&c](TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) { ++c.Resize; };
    for (TNotifyEvent* e : {&t.OnChangeSetup, &t.OnChangeNames, &t.OnChangeAttrib, &t.OnChangeCellState})
      *e = [&c](TObject*) { ++c.Other; };
  }
  static std::vector<TOpCase<TDataTable>> Operations() {
    return {{"SetElem (matrix and table)", [](TDataTable& t) { t.SetElem(2, 2, 5.0); }, {2, 0, 0}},
            {"Resize", [](TDataTable& t) { t.Resize(4, 2); }, {0, 1, 0}},
            {"SameSize", [](TDataTable& t) { t.Resize(3, 3); }, {0, 0, 0}},
            {"InsertRow at 1 moves 3 rows", [](TDataTable& t) { t.InsertRow(1); }, {0, 1, 3 * 3 + 1}},
            {"InsertColumn at 3 moves 1 column", [](TDataTable& t) { t.InsertColumn(3); }, {0, 1, 3 + 1}},
            {"RemoveRow", [](TDataTable& t) { t.RemoveRow(1); }, {0, 1, 1}},
            {"ExchangeRows", [](TDataTable& t) { t.ExchangeRows(1, 2); }, {1, 0, 4}},
            {"Clear", [](TDataTable& t) { t.Clear(); }, {1, 0, 4}},
            {"Assign", [](TDataTable& t) { TDataTable other; t.Assign(&other); }, {0, 0, 0}}};
  }
};

template <>
struct TContract<TCFEvaluator> {
  static TCFEvaluator* Make(TComponent* Owner) {
    auto* e = new TCFEvaluator(Owner);
    e->SetNData(3);
    return e;
  }
  static void Set(TCFEvaluator& e, std::int32_t i, double x) { e.SetTrueData(i, x); }
  static double Get(const TCFEvaluator& e, std::int32_t i) { return e.GetTrueData(i); }
  static void Count(TCFEvaluator&, TCounts&) {}  // no events
  static std::vector<TOpCase<TCFEvaluator>> Operations() {
    return {{"CalcConfusionMatrix",
             [](TCFEvaluator& e) {
               e.SetTrueData(1, 1.0);
               e.CalcConfusionMatrix(0.5);
             },
             {0, 0, 0}}};
  }
};

template <>
struct TContract<TRandGen> {
  static TRandGen* Make(TComponent* Owner) { return new TRandGen(Owner); }
  static void Count(TRandGen&, TCounts&) {}  // no events
  static std::vector<TOpCase<TRandGen>> Operations() {
    return {{"SetResolution", [](TRandGen& g) { g.SetResolution(20); }, {0, 0, 0}}};
  }
};

template <>
struct TContract<TCrossValidator> {
  static TCrossValidator* Make(TComponent* Owner) { return new TCrossValidator(Owner); }
  /// Other: the requests and abort checks of one run over three objects.
  static void Count(TCrossValidator& cv, TCounts& c) {
    cv.OnModelCreateRequest = [&c](TObject*, std::int32_t, const TIntArray&, bool& ok) {
      ++c.Other;
      ok = true;
    };
    cv.OnModelApplyRequest = [&c](TObject*, std::int32_t, const TDoubleArray&, TDoubleArray&, TDoubleArray&) {
      ++c.Other;
    };
    cv.OnCheckAbort = [&c](TObject*, bool&) { ++c.Other; };
  }
  static std::vector<TOpCase<TCrossValidator>> Operations() {
    return {{"SetTestSize", [](TCrossValidator& cv) { cv.SetTestSize(3); }, {0, 0, 0}},
            {"Execute: 2 builds, 3 applications, 3 checks",
             [](TCrossValidator& cv) {
               cv.XMat()->Resize(1, 3);
               cv.YMat()->Resize(1, 3);
               cv.Execute();
             },
             {0, 0, 2 + 3 + 3}}};
  }
};

template <>
struct TContract<TKohonen> {
  static TKohonen* Make(TComponent* Owner) { return new TKohonen(Owner); }
  /// Other: the feedback after each training step.
  static void Count(TKohonen& k, TCounts& c) {
    k.OnFeedback = [&c](TObject*, double) { ++c.Other; };
  }
  static std::vector<TOpCase<TKohonen>> Operations() {
    return {{"SetSizeX", [](TKohonen& k) { k.SetSizeX(4); }, {0, 0, 0}},
            {"Trainit: 4 steps, 4 feedbacks",
             [](TKohonen& k) {
               static TMatrix data;
               data.Resize(2, 6);
               data.Fill(1.0);
               k.SetNrOfInSens(2);
               k.SetTrainData(&data);
               k.SetNrOfTrnSteps(5);
               k.Trainit();
             },
             {0, 0, 4}}};
  }
};

template <>
struct TContract<TMemBasedLearner> {
  static TMemBasedLearner* Make(TComponent* Owner) { return new TMemBasedLearner(Owner); }
  /// Other: OnModelApplied, once per ApplyModel.
  static void Count(TMemBasedLearner& m, TCounts& c) {
    m.OnModelApplied = [&c](TObject*, std::int32_t, const TIntArray&, const TDoubleArray&, std::int32_t) {
      ++c.Other;
    };
  }
  static std::vector<TOpCase<TMemBasedLearner>> Operations() {
    return {{"SetNumNearestNb", [](TMemBasedLearner& m) { m.SetNumNearestNb(2); }, {0, 0, 0}},
            {"ApplyModel",
             [](TMemBasedLearner& m) {
               TDoubleArray probe(2, 0.0);
               m.ApplyModel(probe, 0, 0);
             },
             {0, 0, 1}}};
  }
};

/// HasCells: the contract reaches indexed cells of T; HasChangeEvent: T has OnChange.
template <class T>
concept HasCells = requires(T& x) {
  TContract<T>::Set(x, 1, 1.0);
};
template <class T>
concept HasChangeEvent = requires(T& x) {
  x.OnChange;
};

/// TWatcher: a component that wires itself to another as the rule says:
/// a weak handler in the watched component's OnChange and a subscription to
/// its destruction notice.
template <class T>
class TWatcher : public TComponent {
 public:
  explicit TWatcher(T& Watched) : FWatched(&Watched), FWatchedComponent(&Watched) {
    Watched.OnChange = WeakHandler(this, &TWatcher::Changed);
    Watched.FreeNotification(this);
  }
  int Changes = 0;
  T* Watched() const { return FWatched; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    // Compared as the component it was registered as: the watched object
    // may already be partly destroyed here.
    if (Operation == TOperation::opRemove && AComponent == FWatchedComponent) FWatched = nullptr;
  }

 private:
  void Changed(TObject*) { ++Changes; }
  T* FWatched;
  TComponent* FWatchedComponent;
};

template <class T>
class ComponentContract : public testing::Test {};

using TComponentClasses = testing::Types<TVector, TIntVector, TMatrix, TIntMatrix, TMat3D, TMat4D, TDataTable,
                                         TCFEvaluator, TRandGen, TCrossValidator, TKohonen, TMemBasedLearner>;
TYPED_TEST_SUITE(ComponentContract, TComponentClasses);

/// TDeathCounter: counts the destruction notices it receives.
struct TDeathCounter : TComponent {
  int Deaths = 0;

 protected:
  void Notification(TComponent*, TOperation Operation) override {
    if (Operation == TOperation::opRemove) ++Deaths;
  }
};

TYPED_TEST(ComponentContract, OwnedComponentsAreFreedWithTheOwner) {
  using C = TContract<TypeParam>;
  TDeathCounter witness;
  auto owner = std::make_unique<TComponent>();
  TypeParam* first = C::Make(owner.get());
  TypeParam* second = C::Make(owner.get());
  first->FreeNotification(&witness);
  second->FreeNotification(&witness);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete first;  // an owned component freed early leaves its owner's list
  EXPECT_EQ(witness.Deaths, 1);
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), second);
  owner.reset();
  EXPECT_EQ(witness.Deaths, 2);
}

TYPED_TEST(ComponentContract, EachOperationFiresItsEventsAsDocumented) {
  using C = TContract<TypeParam>;
  for (const auto& op : C::Operations()) {
    std::unique_ptr<TypeParam> x(C::Make(nullptr));
    TCounts counts;
    C::Count(*x, counts);
    op.Run(*x);
    EXPECT_EQ(counts, op.Expected) << op.Name;
  }
}

TYPED_TEST(ComponentContract, BadIndicesAreIgnored) {
  if constexpr (!HasCells<TypeParam>)
    GTEST_SKIP() << "no indexed cells";
  else {
    using C = TContract<TypeParam>;
    std::unique_ptr<TypeParam> x(C::Make(nullptr));
    for (std::int32_t i = 1; i <= 3; ++i) C::Set(*x, i, i);
    TCounts counts;
    C::Count(*x, counts);
    for (const std::int32_t bad : {0, -1, 4, INT32_MIN, INT32_MAX}) {
      C::Set(*x, bad, 99.0);
      EXPECT_EQ(C::Get(*x, bad), 0.0) << bad;
    }
    EXPECT_EQ(counts, TCounts{});
    for (std::int32_t i = 1; i <= 3; ++i) EXPECT_EQ(C::Get(*x, i), i);
  }
}

TYPED_TEST(ComponentContract, CopiedWeakHandlerIsInertOnceTheWatcherIsGone) {
  if constexpr (!HasChangeEvent<TypeParam>)
    GTEST_SKIP() << "no OnChange";
  else {
    using C = TContract<TypeParam>;
    std::unique_ptr<TypeParam> watched(C::Make(nullptr));
    std::unique_ptr<TypeParam> copy(C::Make(nullptr));
    auto watcher = std::make_unique<TWatcher<TypeParam>>(*watched);
    copy->Assign(watched.get());  // takes the watcher's handler along
    C::Set(*copy, 1, 1.0);
    EXPECT_GE(watcher->Changes, 1);
    watcher.reset();
    C::Set(*copy, 1, 2.0);  // a handler into a freed watcher: must do nothing
    C::Set(*watched, 1, 2.0);
    EXPECT_EQ(C::Get(*copy, 1), 2.0);
  }
}

TYPED_TEST(ComponentContract, WatchedComponentDestroyedFirstTellsTheWatcher) {
  if constexpr (!HasChangeEvent<TypeParam>)
    GTEST_SKIP() << "no OnChange";
  else {
    using C = TContract<TypeParam>;
    std::unique_ptr<TypeParam> watched(C::Make(nullptr));
    TWatcher<TypeParam> watcher(*watched);
    watched.reset();
    EXPECT_EQ(watcher.Watched(), nullptr);
  }
}

// --- wired copies of a table's matrix ----------------------------------------------------------

TEST(ComponentContractWiring, CopyOfTablesMatrixOutlivesTheTable) {
  auto table = std::make_unique<TDataTable>();
  table->Resize(2, 2);
  int tableChanges = 0;
  table->OnChange = [&](TObject*) { ++tableChanges; };
  TMatrix copy;
  copy.Assign(table->NumericData);  // copies the table's handlers
  copy.SetVal(1, 1, 1.0);
  EXPECT_EQ(tableChanges, 0) << "the table answers only to its own matrix";
  table.reset();
  copy.SetVal(1, 1, 2.0);
  copy.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(copy.GetVal(1, 1), 0.0);
}

TEST(ComponentContractWiring, AdoptedMatrixCopiedAndFreedBeforeTheTable) {
  TDataTable table;
  auto adopted = std::make_unique<TMatrix>();
  adopted->Resize(3, 2);
  adopted->SetVal(3, 2, 32.0);
  table.AssignAnotherDataMatrix(adopted.get());
  TMatrix other;
  other.Assign(adopted.get());  // a copy holding the table's handlers
  adopted.reset();              // the caller frees its matrix first
  ASSERT_NE(table.NumericData, nullptr);
  EXPECT_EQ(table.NumericData->NrOfColumns(), 3);
  EXPECT_EQ(table.NumericData->NrOfRows(), 2);
  EXPECT_EQ(table.Elem(3, 2), 0.0);
  int changes = 0;
  table.OnChange = [&](TObject*) { ++changes; };
  table.SetElem(3, 2, 5.0);  // the replacement matrix is wired like the first
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(table.Elem(3, 2), 5.0);
  other.SetVal(1, 1, 1.0);
  EXPECT_EQ(changes, 2);
}

TEST(ComponentContractWiring, TableReleasesAnAdoptedMatrixItOutlives) {
  TMatrix adopted;
  {
    TDataTable table;
    table.AssignAnotherDataMatrix(&adopted);
    EXPECT_TRUE(adopted.OnChange);
  }
  EXPECT_FALSE(adopted.OnChange);
  EXPECT_FALSE(adopted.OnSortExchange);
  adopted.SetVal(1, 1, 1.0);
  adopted.SortRows(1, true, 0, 0, 0, 0);
}

}  // namespace
}  // namespace kvl
