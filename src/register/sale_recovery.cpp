// A sale left unfinished by a program that stopped, settled at the next start; and the message
// with which the cash register tells what was done.
#include "register/sale_recovery.h"
#include "register/cash_register_window.h"
#include "register/give_back.h"
#include "register/receipt.h"

#include "app/context.h"
#include "platform/printer.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace cashregister {
namespace {

// The note's next content, written beside it before it takes the note's place.
QString pendingPath(const QString& notePath)
{
    return notePath + QStringLiteral(".new");
}

QString readNote(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Writes the note's next content in full, on disk when this returns (its owner's alone, as the
// store is). Throws store::Error when it cannot be written.
void writePending(const QString& notePath, const QString& text)
{
    const QString path = pendingPath(notePath);
    QFile::remove(path);
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    bool written = file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == bytes.size() && file.flush();
#ifdef Q_OS_UNIX
    written = written && ::fsync(file.handle()) == 0;
#endif
    const QString problem = file.errorString();
    file.close();
    if (!written) {
        QFile::remove(path);
        throw store::Error(store::ErrorKind::IO,
            QStringLiteral("The note of the recovered sale %1 cannot be written: %2").arg(QDir::toNativeSeparators(notePath), problem), true);
    }
}

// The pending content takes the note's place. False when it cannot (it then stays pending, and
// the next start puts it in place).
bool promotePending(const QString& notePath)
{
    return std::rename(QFile::encodeName(pendingPath(notePath)).constData(), QFile::encodeName(notePath).constData()) == 0;
}

// A note's content left pending by a program that stopped: it took effect when the sale it tells
// of is gone from tblReceipt, and is dropped when the sale is still there.
void settlePending(const QString& notePath, bool saleStillOpen)
{
    if (!QFileInfo::exists(pendingPath(notePath)))
        return;
    if (saleStillOpen)
        QFile::remove(pendingPath(notePath));
    else
        promotePending(notePath);
}

// Commits the unit with the note's next content written beside the note first; when the commit
// fails, that content goes with it.
void commitWithNote(store::UnitOfWork& unit, const QString& notePath, const QString& text)
{
    writePending(notePath, text);
    try {
        unit.commit();
    } catch (...) {
        QFile::remove(pendingPath(notePath));
        throw;
    }
}

QString joined(const QString& earlier, const QString& text)
{
    return earlier.isEmpty() ? text : earlier + QStringLiteral("\n\n") + text;
}

QString indented(const QStringList& lines)
{
    QStringList out;
    for (const QString& line : lines)
        out << QStringLiteral("    ") + line;
    return out.join(u'\n');
}

// The lines of `all` that are not in `taken`, each counted once.
QStringList without(QStringList all, const QStringList& taken)
{
    for (const QString& line : taken)
        all.removeOne(line);
    return all;
}

class Recovery {
public:
    Recovery(store::Store& store, platform::Printer& printer, const QDateTime& now, const QLocale& locale)
        : m_store(store), m_printer(printer), m_now(now), m_locale(locale), m_notePath(recoveryNotePath(store.path())),
          m_lines(store, QStringLiteral("recovery"), QStringLiteral("tblReceipt"))
    {
    }

    SaleRecovery run()
    {
        QStringList described;
        for (; !m_lines.atEnd(); m_lines.moveNext()) {
            if (isSaleLine(m_lines))
                described << describeLine(m_lines);
        }
        settlePending(m_notePath, !described.isEmpty());
        if (m_lines.recordCount() == 0)
            return {};
        if (described.isEmpty())
            return removeCashierRows();

        m_lines.moveFirst();
        m_cashier = m_lines.field(u"Cashier");
        const store::Value tendered = m_lines.field(u"AmountTendered");
        if (!tendered.isNull() && !tendered.toCurrency().isZero())
            return completePaidSale(described);
        return giveBackUnpaidSale(described);
    }

private:
    SaleRecovery removeCashierRows()
    {
        store::UnitOfWork unit(m_store);
        m_lines.refresh();
        m_lines.removeAll();
        unit.commit();
        return {SaleRecovery::Outcome::CashierRowRemoved, {}, {}};
    }

    // "When the program started on <date> at <time>, it found a sale rung up by <cashier> that ...",
    // without the cashier when the sale does not name one.
    QString opening(const QString& what) const
    {
        QString text = QStringLiteral("When the program started on %1 at %2, it found a sale")
                           .arg(store::convert::formatMediumDate(m_now.date(), m_locale), store::convert::formatLongTime(m_now.time(), m_locale));
        if (!m_cashier.isNull() && !m_cashier.toText().isEmpty())
            text += QStringLiteral(" rung up by %1").arg(m_cashier.toText());
        return text + QStringLiteral(" that ") + what;
    }

    QString money(const store::Value& amount) const
    {
        return store::convert::formatCurrency(amount.isNull() ? store::Currency() : amount.toCurrency(), m_locale);
    }

    SaleRecovery completePaidSale(const QStringList& described)
    {
        const store::Value total = m_lines.field(u"Total");
        const store::Value tendered = m_lines.field(u"AmountTendered");
        const store::Value change = m_lines.field(u"Change");
        const QString earlier = readNote(m_notePath);
        QString text = opening(QStringLiteral("was paid but not finished when the program stopped. Its money was already in the "
                                              "day's takings, so the sale has been completed:\n\n"))
            + indented(described)
            + QStringLiteral("\n\nTotal %1, amount tendered %2, change %3.").arg(money(total), money(tendered), money(change));

        PrintableReceipt receipt;
        {
            store::UnitOfWork unit(m_store);
            // The sale is read from its rows before they go, and kept in the journal, as the till
            // keeps a sale it completes.
            ReceiptSale sale = saleInReceiptTable(m_store, m_now);
            m_lines.refresh();
            m_lines.removeAll();
            store::RecordSource prices(m_store, QStringLiteral("recovery"), QStringLiteral("tblProductPrice"));
            sale.number = store::journal::record(m_store, journalEntry(sale, prices, businessDay()));
            receipt = printableReceipt(m_store, sale, m_locale);
            commitWithNote(unit, m_notePath, joined(earlier, text));
        }
        promotePending(m_notePath);

        // The receipt is printed once the sale is closed for good, as the till prints it.
        const QString printed = printReceipt(receipt);
        text += printed;
        try {
            writePending(m_notePath, joined(earlier, text));
            promotePending(m_notePath);
        } catch (const store::Error&) {
            // The note tells of the sale without its receipt.
        }
        return {SaleRecovery::Outcome::Completed, text, {}};
    }

    // The day whose takings hold the sale's money.
    QDate businessDay()
    {
        store::RecordSource day(m_store, QStringLiteral("recovery"), QStringLiteral("tblDailySale"));
        const store::Value date = day.atEnd() ? store::Value() : day.field(u"tDate");
        return date.isNull() ? m_now.date() : date.toDate();
    }

    QString printReceipt(const PrintableReceipt& printable)
    {
        QString text;
        try {
            QTextDocument document;
            document.setHtml(printable.html);
            const platform::PrintOutcome outcome
                = m_printer.print(document, printable.name);
            if (outcome.where == platform::PrintOutcome::Where::PdfFile)
                text = QStringLiteral("\n\nIts receipt was kept as the file %1.").arg(QDir::toNativeSeparators(outcome.destination));
            else
                text = QStringLiteral("\n\nIts receipt was printed.");
        } catch (const std::exception& e) {
            text = QStringLiteral("\n\nIts receipt was not printed. ") + QString::fromUtf8(e.what());
        }
        if (!printable.problem.isEmpty())
            text += QStringLiteral(" The receipt was made with the program's own layout. ") + printable.problem;
        return text;
    }

    SaleRecovery giveBackUnpaidSale(const QStringList& described)
    {
        const QString earlier = readNote(m_notePath);
        const QString opened = opening(QStringLiteral("was not paid when the program stopped. "));
        QString text;
        try {
            store::UnitOfWork unit(m_store);
            store::RecordSource prices(m_store, QStringLiteral("recovery"), QStringLiteral("tblProductPrice"));
            store::RecordSource stock(m_store, QStringLiteral("recovery"), QStringLiteral("tblProductQuantity"));
            store::RecordSource soldLines(m_store, QStringLiteral("recovery"), QStringLiteral("daillySale"));
            store::RecordSource dayTotals(m_store, QStringLiteral("recovery"), QStringLiteral("tblDailySale"));
            const QStringList notGivenBack = giveBackLines({m_lines, prices, stock, soldLines, dayTotals});
            const QStringList givenBack = without(described, notGivenBack);
            text = opened + QStringLiteral("The sale has been cancelled");
            if (!givenBack.isEmpty())
                text += QStringLiteral(" and its lines put back into stock:\n\n") + indented(givenBack);
            else
                text += u'.';
            if (!notGivenBack.isEmpty())
                text += QStringLiteral("\n\nThese lines could not be put back into stock. Please restock them by hand:\n\n") + indented(notGivenBack);
            commitWithNote(unit, m_notePath, joined(earlier, text));
        } catch (const store::Error& e) {
            // A disk that fails undoes the whole unit: the sale is left as it is, to be settled at
            // the next start, as the till keeps it open.
            if (e.diskFailure())
                throw;
            return emptyUnpaidSale(opened, earlier, described, e.message());
        } catch (const std::exception& e) {
            return emptyUnpaidSale(opened, earlier, described, QString::fromUtf8(e.what()));
        }
        promotePending(m_notePath);
        return {SaleRecovery::Outcome::GivenBack, text, {}};
    }

    // As an abandoned sale at the till: when its goods cannot go back for a reason of their own,
    // the open sale is emptied all the same and every line is named, so that none reaches the
    // next receipt.
    SaleRecovery emptyUnpaidSale(const QString& opened, const QString& earlier, const QStringList& described, const QString& failure)
    {
        const QString text = opened + QStringLiteral("The sale has been cancelled, but its lines could not be put back into stock (")
            + failure + QStringLiteral("). Please restock them by hand:\n\n") + indented(described);
        {
            store::UnitOfWork unit(m_store);
            m_lines.refresh();
            m_lines.removeAll();
            commitWithNote(unit, m_notePath, joined(earlier, text));
        }
        promotePending(m_notePath);
        return {SaleRecovery::Outcome::GivenBack, text, {}};
    }

    store::Store& m_store;
    platform::Printer& m_printer;
    QDateTime m_now;
    QLocale m_locale;
    QString m_notePath;
    store::RecordSource m_lines;
    store::Value m_cashier;
};

} // namespace

QString recoveryNotePath(const QString& storePath)
{
    const QFileInfo store(storePath);
    return store.dir().filePath(store.fileName() + QStringLiteral(".recovered.txt"));
}

SaleRecovery recoverInterruptedSale(store::Store& store, platform::Printer& printer, const QDateTime& now, const QLocale& locale)
{
    try {
        return Recovery(store, printer, now, locale).run();
    } catch (const std::exception& e) {
        return {SaleRecovery::Outcome::NotRecovered, {},
            QStringLiteral("A sale that was not finished when the program last stopped could not be settled. ") + QString::fromUtf8(e.what())
                + QStringLiteral("\n\nIts lines are still in the open sale, and nothing was changed. The program settles the sale at its "
                                 "next start: please close it and start it again once the problem is mended, before the cash register "
                                 "is used.")};
    }
}

void CashRegisterWindow::tellRecoveredSale()
{
    const QString path = recoveryNotePath(context().store.path());
    const QString note = readNote(path);
    if (note.isEmpty())
        return;
    context().ui.message(note, kRecoveredTitle.toString(), ui::Icon::Information, ui::Buttons::Ok);
    QFile::remove(path);
}

} // namespace cashregister
