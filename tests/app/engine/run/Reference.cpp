#include "Reference.h"

#include <set>

namespace runref {

namespace {

bool SameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString WithoutLeadingZeros(const QString& s)
{
    int i = 0;
    while (i < s.size() && s[i] == u'0') ++i;
    return i < s.size() ? s.mid(i) : s;
}
QString WithoutTrailingMark(const QString& s)
{
    return (s.endsWith(u'.') || s.endsWith(u',')) ? s.left(s.size() - 1) : s;
}

struct TGroup {
    QString Nsf, NumDoc, Part, Buh, GlobalCode;
    QDate DataDoc, Mes;
    int LocalPredpr = 0;
    int64_t Summ = 0;
    bool Matched = false;
};

const demo::TDemoLocalEnterprise* Local(const demo::TDemoBranch& b, int id) { return id ? b.Local(id) : nullptr; }

// A ledger entry that the period's certificate filter keeps.
bool EntryCounts(const demo::TDemoModel& m, const demo::TDemoBranch& b, const demo::TDemoEntry& e, bool selfProv)
{
    if (e.Branch != b.Number || !e.Mes.isValid() || e.Mes < m.FirstDate || e.Mes > m.SecondDate) return false;
    if (e.PrizRej != 1 || e.Sv != 0) return false;
    bool pair = false;
    for (const auto& p : m.AccountPairs)
        pair = pair || (p.Dt == e.Dt && SameText(p.AuDt, e.AuDt) && p.Kt == e.Kt && SameText(p.AuKt, e.AuKt));
    if (!pair) return false;
    if (selfProv) {
        const auto* pred = Local(b, e.IdPredpr);
        if (!pred || SameText(pred->Unn, m.OrgUnn)) return false;
    }
    return true;
}

const demo::TDemoInvoice* FindInvoice(const demo::TDemoModel& m, int branch, int sender, int year, int64_t number)
{
    for (const auto& i : m.Invoices)
        if (i.Branch == branch && i.Sender == sender && i.Year == year && i.Number == number) return &i;
    return nullptr;
}

bool InvoiceInWindow(const demo::TDemoModel& m, const demo::TDemoInvoice& i)
{
    const QDate from = m.FirstDate.addMonths(-1), to = m.SecondDate.addMonths(1);
    auto in = [&](const QDate& d) { return d.isValid() && d >= from && d <= to; };
    const QDate doc = i.HasDocument ? i.DocDate : QDate();
    if (!i.Sv) return false;
    if (i.DocumentType == 1 || i.DocumentType == 4) return in(i.DateTransaction) || in(doc);
    if (in(i.DateTransaction) || in(doc)) return true;
    if (i.Original.isEmpty()) return false;
    const demo::TDemoInvoice* org =
        FindInvoice(m, i.Branch, i.Sender, i.Original.mid(10, 4).toInt(), i.Original.mid(15, 10).toLongLong());
    return org && (in(org->DateTransaction) || in(org->HasDocument ? org->DocDate : QDate()));
}

std::vector<TInvProvRow> BranchRows(const demo::TDemoModel& m, const demo::TDemoBranch& b, const TOptions& o)
{
    std::vector<TGroup> groups;
    for (const auto& e : m.Entries) {
        if (!EntryCounts(m, b, e, o.SelfProv)) continue;
        const auto* pred = Local(b, e.IdPredpr);
        TGroup g{e.Nsf, WithoutLeadingZeros(WithoutTrailingMark(e.NumDoc)), WithoutTrailingMark(e.NumDocPart), e.NumBuhSpr,
                 pred ? pred->GlobalCode : QString(), e.DataDoc, e.Mes, e.IdPredpr, e.Summ};
        bool merged = false;
        for (auto& x : groups)
            if (x.Nsf == g.Nsf && x.DataDoc == g.DataDoc && SameText(x.NumDoc, g.NumDoc) && SameText(x.Part, g.Part) &&
                x.Buh == g.Buh && x.LocalPredpr == g.LocalPredpr && x.GlobalCode == g.GlobalCode && x.Mes == g.Mes) {
                x.Summ += g.Summ;
                merged = true;
            }
        if (!merged) groups.push_back(g);
    }
    const QString chosen = QString::number(o.IdPredpr);
    auto row = [&](const demo::TDemoInvoice* inv, const TGroup* g) -> std::optional<TInvProvRow> {
        const auto* supplier = inv ? Local(b, inv->Sender) : nullptr;
        const QString code = g && !g->GlobalCode.isEmpty() ? g->GlobalCode : (supplier ? supplier->GlobalCode : QString());
        if (o.IdPredpr > 0 && code != chosen) return std::nullopt;
        if (inv && !(inv->DateTransaction >= m.FirstDate && inv->DateTransaction <= m.SecondDate) && !g) return std::nullopt;
        TInvProvRow r;
        r.FullName = inv ? inv->FullName : QString();
        if (g) r.SprSum = g->Summ;
        if (inv) r.TotalVat = inv->Vat;
        r.DocNumber = inv && inv->HasDocument ? WithoutLeadingZeros(inv->DocNumber) : (g ? g->NumDoc : QString());
        r.DocDate = inv && inv->HasDocument ? inv->DocDate : (g ? g->DataDoc : QDate());
        r.LocalPredpr = g && g->LocalPredpr ? g->LocalPredpr : (inv ? inv->Sender : 0);
        if (!code.isEmpty() && !code.endsWith(u'*')) r.GlobalCode = code.toLongLong();
        r.Filial = b.Number;
        return r;
    };
    std::vector<TInvProvRow> out;
    for (const auto& inv : m.Invoices) {
        if (inv.Branch != b.Number || !InvoiceInWindow(m, inv)) continue;
        bool any = false;
        for (auto& g : groups)
            if (g.Nsf.mid(2, 25) == inv.FullName) {
                any = g.Matched = true;
                if (auto r = row(&inv, &g)) out.push_back(*r);
            }
        if (!any)
            if (auto r = row(&inv, nullptr)) out.push_back(*r);
    }
    for (const auto& g : groups)
        if (!g.Matched)
            if (auto r = row(nullptr, &g)) out.push_back(*r);
    return out;
}

bool Configured(const demo::TDemoModel& m, const TOptions& o, int branch)
{
    if (o.Branches.empty()) return o.AllBranches;
    for (int b : o.Branches)
        if (b == branch) return true;
    (void)m;
    return false;
}

}  // namespace

TReference Compute(const demo::TDemoModel& m, const TOptions& o)
{
    TReference ref;
    const bool branchMode = !o.Filial.isEmpty();
    const int filial = o.Filial.toInt();

    // the import
    std::vector<const demo::TDemoWorkbookRow*> book;
    auto signerFilial = [&](const QString& fio) -> std::optional<int> {
        for (const auto& s : m.Signers)
            if (!fio.isEmpty() && SameText(s.Fio, fio)) return s.Filial;
        return std::nullopt;
    };
    for (const auto& w : m.Workbook) {
        if (branchMode) {
            bool keep = (w.Signer.isEmpty() && !w.DopUnn) || (w.DopUnn && QString::number(w.DopUnn) == o.Filial);
            for (const auto& s : m.Signers)
                keep = keep || (s.Filial == filial && SameText(s.Fio, w.Signer));
            if (!keep) continue;
        }
        book.push_back(&w);
        ref.ImportedInvoices.push_back(w.Invoice);
    }

    // the branches
    for (const auto& b : m.Branches) {
        if (!Configured(m, o, b.Number)) continue;
        std::vector<TInvProvRow> rows = BranchRows(m, b, o);
        for (const auto& main : rows) {
            if (!main.FullName.isEmpty() || !main.SprSum) continue;
            for (const auto& esf : rows)
                if (!esf.FullName.isEmpty() && esf.SprSum == main.SprSum && SameText(esf.DocNumber, main.DocNumber) &&
                    esf.LocalPredpr == main.LocalPredpr)
                    ref.Duples.push_back({esf.FullName, b.Number});
        }
        ref.SvodInv.insert(ref.SvodInv.end(), rows.begin(), rows.end());
        for (const auto& e : m.Entries) {
            if (!EntryCounts(m, b, e, o.SelfProv)) continue;
            const auto* pred = Local(b, e.IdPredpr);
            if (o.IdPredpr > 0 && (!pred || pred->GlobalCode != QString::number(o.IdPredpr))) continue;
            ref.SprSum += e.Summ;
            ref.HasSprSum = true;
            ++ref.SprRows;
        }
    }

    // the comparison
    std::map<QString, int> count;
    for (const auto& r : ref.SvodInv)
        if (!r.FullName.isEmpty()) ++count[r.FullName];
    auto zeroed = [&](const QString& invoice, std::optional<int> f) {
        if (branchMode || !f) return false;
        for (const auto& z : m.ZeroExcludes)
            if (z.Filial == *f && SameText(z.Invoice, invoice)) return true;
        return false;
    };
    auto bookId = [](const demo::TDemoWorkbookRow& w) { return w.SupplierUnn.toLongLong() * 10000 + w.SupplierBranch; };
    auto keep = [&](const TResultRow& r) {
        if (branchMode && r.Filial != filial) return false;
        if (o.IdPredpr > 0 && r.IdPredpr != o.IdPredpr) return false;
        return true;
    };
    std::set<QString> matched;
    for (const auto& r : ref.SvodInv) {
        const demo::TDemoWorkbookRow* w = nullptr;
        for (const auto* x : book)
            if (!r.FullName.isEmpty() && SameText(x->Invoice, r.FullName)) w = x;
        if (w) matched.insert(w->Invoice);
        if (!r.FullName.isEmpty() && count[r.FullName] > 1 && !r.SprSum) continue;
        TResultRow out{r.FullName, std::nullopt, r.SprSum, r.TotalVat, r.Filial, r.GlobalCode};
        if (w) {
            out.NdsExcel = zeroed(w->Invoice, r.Filial) ? 0 : w->Vat;
            if (!out.IdPredpr) out.IdPredpr = bookId(*w);
        }
        if (keep(out)) ref.Result.push_back(out);
    }
    for (const auto* w : book) {
        if (matched.count(w->Invoice)) continue;
        std::optional<int> f = signerFilial(w->Signer);
        if (!f && w->DopUnn) f = w->DopUnn;
        TResultRow out{w->Invoice, zeroed(w->Invoice, f) ? 0 : w->Vat, std::nullopt, std::nullopt, f, bookId(*w)};
        if (keep(out)) ref.Result.push_back(out);
    }

    // the workbook total, limited to the branch in branch mode
    for (const auto* w : book) {
        std::optional<int> f = signerFilial(w->Signer);
        if (!f && w->DopUnn) f = w->DopUnn;
        if (branchMode && f != filial) continue;
        ref.ExcSum += w->Vat;
        ref.HasExcSum = true;
    }

    // the duplicate lists over all branches
    for (const auto& r : ref.SvodInv)
        if (!r.FullName.isEmpty() && count[r.FullName] > 1) ref.InvoiceNumberDuples.push_back({r.FullName, r.Filial});
    for (const auto& r : ref.SvodInv) {
        if (!r.SprSum || !r.TotalVat) continue;
        int same = 0;
        for (const auto& x : ref.SvodInv)
            same += x.SprSum && x.TotalVat && SameText(x.FullName, r.FullName) && SameText(x.DocNumber, r.DocNumber) &&
                    x.DocDate == r.DocDate && x.SprSum == r.SprSum && x.TotalVat == r.TotalVat;
        if (same > 1) ref.OblpoInvoices.push_back(r.FullName);
    }
    return ref;
}

}  // namespace runref
