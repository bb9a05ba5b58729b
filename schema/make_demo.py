#!/usr/bin/env python3
"""Writes schema/demo.sql, the demo payroll data loaded after <dialect>/tables.sql.

Run:  python3 schema/make_demo.py [output file]

The output is plain INSERT statements, one per line, using the physical table names
and ISO date literals, so it runs unchanged on SQLite and PostgreSQL.  The generator
is deterministic (fixed seed): running it again gives the same file.

The job change history is simulated per employee in date order, so the data is
consistent the way the module leaves it:
- a job change's old designation, grade and basic pay are what the employee had just
  before it, and its lines start from the employee's standing lines of that moment;
- an uncancelled job change sets the employee's designation, grade, basic pay and
  standing lines (kept and added lines with their revised amounts, detail id = the
  line's position in the job change, so removed lines leave gaps);
- a cancelled job change was cancelled before any later one was made and put the
  employee back, so it has no effect on the current state.
"""

import datetime
import os
import random
import sys

SEED = 20261130
PROCESS_DATE = datetime.date(2026, 11, 30)
INTERFACE_ID = 91004

# ---------------------------------------------------------------------------
# Fixed reference data per company
# ---------------------------------------------------------------------------

CURRENCIES = {
    1: [(1, "Rupee", "Rs"), (2, "US Dollar", "$"), (3, "Dirham", "AED")],
    2: [(1, "Dirham", "AED"), (2, "US Dollar", "$"), (3, "Euro", "EUR")],
}

# Rough worth of one unit of each currency in company 1 Rupees, for sensible amounts.
UNIT_WORTH = {
    1: {1: 1.0, 2: 80.0, 3: 22.0},
    2: {1: 1.0, 2: 3.67, 3: 4.0},
}

GRADES = {
    1: [(1, "Junior"), (2, "Associate"), (3, "Senior"), (4, "Lead"), (5, "Manager"), (6, "Director")],
    2: [(1, "Grade A"), (2, "Grade B"), (3, "Grade C"), (4, "Grade D"), (5, "Grade E"), (6, "Grade F")],
}

# Basic pay range per grade, in the company's first currency.
GRADE_PAY = {
    1: {1: (18000, 28000), 2: (28000, 45000), 3: (45000, 70000),
        4: (70000, 110000), 5: (110000, 160000), 6: (160000, 250000)},
    2: {1: (1800, 3000), 2: (3000, 5000), 3: (5000, 8000),
        4: (8000, 12000), 5: (12000, 18000), 6: (18000, 30000)},
}

# (designation id, grade id, description, active)
DESIGNATIONS = {
    1: [(1, 1, "Clerk", 1), (2, 1, "Accounts Assistant", 1), (3, 1, "Technician", 1),
        (4, 1, "Typist", 0), (5, 2, "Accountant", 1), (6, 2, "Engineer", 1),
        (7, 2, "HR Officer", 1), (8, 2, "Sales Executive", 1), (9, 2, "Data Entry Operator", 0),
        (10, 3, "Accountant", 1), (11, 3, "Engineer", 1), (12, 3, "Analyst", 1),
        (13, 3, "Sales Executive", 1), (14, 4, "Engineer", 1), (15, 4, "Auditor", 1),
        (16, 4, "Analyst", 1), (17, 4, "Draughtsman", 0), (18, 5, "Finance", 1),
        (19, 5, "Operations", 1), (20, 5, "Human Resources", 1), (21, 5, "Sales", 1),
        (22, 6, "Finance", 1), (23, 6, "Operations", 1)],
    2: [(1, 1, "Storekeeper", 1), (2, 1, "Driver", 1), (3, 1, "Office Boy", 0),
        (4, 2, "Cashier", 1), (5, 2, "Sales Associate", 1), (6, 3, "Supervisor", 1),
        (7, 3, "Accountant", 1), (8, 4, "Branch Accountant", 1), (9, 4, "Area Supervisor", 1),
        (10, 5, "Branch Manager", 1), (11, 5, "Regional Coordinator", 0), (12, 6, "General Manager", 1)],
}

# (id, description, currency id, active, typical amount in company-1 Rupees)
ALLOWANCES = {
    1: [(1, "House Rent Allowance", 1, 1, 12000), (2, "Conveyance Allowance", 1, 1, 1600),
        (3, "Medical Allowance", 1, 1, 1250), (4, "Special Allowance", 1, 1, 6000),
        (5, "Overseas Allowance", 2, 1, 24000), (6, "Gulf Posting Allowance", 3, 1, 22000),
        (7, "Night Shift Allowance", 1, 0, 2000), (8, "Uniform Allowance", 1, 0, 800)],
    2: [(1, "Housing Allowance", 1, 1, 2500), (2, "Transport Allowance", 1, 1, 600),
        (3, "Telephone Allowance", 1, 1, 200), (4, "Education Allowance", 1, 1, 1500),
        (5, "Expatriate Allowance", 2, 1, 1800), (6, "Ticket Allowance", 3, 1, 1200),
        (7, "Hardship Allowance", 1, 0, 900), (8, "Meal Allowance", 1, 0, 300)],
}

DEDUCTIONS = {
    1: [(1, "Provident Fund", 1, 1, 3600), (2, "Professional Tax", 1, 1, 200),
        (3, "Income Tax", 1, 1, 8000), (4, "Loan Recovery", 1, 1, 5000),
        (5, "Salary Advance Recovery", 2, 1, 8000), (6, "Welfare Fund", 1, 0, 100)],
    2: [(1, "Social Security", 1, 1, 500), (2, "Housing Loan", 1, 1, 1500),
        (3, "Salary Advance", 1, 1, 800), (4, "Traffic Fines", 1, 1, 300),
        (5, "Pension Fund", 2, 1, 700), (6, "Club Membership", 1, 0, 150)],
}

USERS = [(1, "Administrator"), (2, " Clerk Two "), (3, "Auditor"), (4, "Nobody Rights"),
         (5, "Checker")]

# (userid, interfaceid, functionrights).  User 1 needs no row: it holds every right.
# The rows for other interfaces must never be picked up for the job change interface.
# User 5 may only approve bulk batches that another user proposed.
USER_RIGHTS = [(2, INTERFACE_ID, " n e "), (3, INTERFACE_ID, "ADMIN"),
               (2, 91001, "NEDUP"), (4, 91001, "NEDUP"), (4, 91003, "NED"),
               (5, INTERFACE_ID, "A")]

# (company, interface, prefix).  Company 2 has none, so its numbers are plain 1, 2, 3...
PREFIXES = [(1, INTERFACE_ID, "JC"), (1, 91001, "LV")]

SETTINGS = [(1, 365), (2, 0)]

CANCEL_REASONS = ["wrong grade", "entered twice", "basic pay typed wrong",
                  "wrong employee selected", "promotion withdrawn", "date should be next month"]

REMARKS = [None, None, None, "Annual appraisal", "Promotion on completion of probation",
           "Transfer to head office", "Revised as per board approval",
           "Employee's request for change of department", "Performance review, Q2",
           "Re-designation after restructuring", "Acting charge made permanent",
           "Increment only, same job", "Moved to the new branch"]

# ---------------------------------------------------------------------------
# Names
# ---------------------------------------------------------------------------

NAME_POOLS = [
    (["Aarav", "Priya", "Ananya", "Vikram", "Lakshmi", "Suresh", "Deepa", "Arjun", "Kavya",
      "Meera", "Sanjay", "Neha", "Karthik", "Divya", "Venkat", "Shreya", "Gopal", "Anita",
      "Harish", "Pooja", "Nikhil", "Sunita", "Manoj", "Asha", "Kiran", "Vidya"],
     ["Sharma", "Iyer", "Nair", "Patel", "Reddy", "Gupta", "Menon", "Pillai", "Rao", "Joshi",
      "Verma", "Das", "Kulkarni", "Bhat", "Chatterjee", "Mehta", "Naidu", "Krishnan"]),
    (["Ahmed", "Fatima", "Omar", "Layla", "Yousef", "Noura", "Khalid", "Hassan", "Mariam",
      "Tariq", "Salma", "Samir", "Huda", "Faisal", "Amal", "Bilal", "Zainab"],
     ["Al Farsi", "Haddad", "Khoury", "Nasser", "Saleh", "Aziz", "Hamdan", "Mansour", "Qasim",
      "Darwish", "Abboud", "Kassem"]),
    (["James", "Emily", "Michael", "Sarah", "David", "Laura", "Thomas", "Olivia", "Daniel",
      "Grace", "Peter", "Helen", "George", "Alice", "Simon", "Clare"],
     ["Smith", "Johnson", "Taylor", "Brown", "Wilson", "Clarke", "Walker", "Wright", "Hughes",
      "Edwards", "Turner", "Cooper"]),
    (["Wei", "Mei Ling", "Jun", "Xiu", "Hao", "Li Na", "Haruto", "Yuki", "Kenji", "Aiko",
      "Min-jun", "Seo-yeon"],
     ["Chen", "Wang", "Zhang", "Liu", "Tan", "Lim", "Tanaka", "Sato", "Nakamura", "Kim", "Park"]),
    (["Chinedu", "Amara", "Kwame", "Ngozi", "Tendai", "Zanele", "Kofi", "Abena", "Sipho", "Folake"],
     ["Okafor", "Mensah", "Adeyemi", "Nkosi", "Boateng", "Mwangi", "Okonkwo", "Dlamini"]),
    (["Carlos", "Lucía", "Alejandro", "Sofía", "Mateo", "Isabel", "Diego", "Valentina", "Jorge"],
     ["García", "Martínez", "López", "Fernández", "Rodríguez", "Santos", "Morales", "Reyes"]),
    (["Élodie", "François", "Jürgen", "Katarzyna", "Piotr", "Sven", "Ingrid", "Matthias", "Zoë"],
     ["Dubois", "Müller", "Kowalski", "Nowak", "Lindqvist", "Schneider", "Lefèvre", "Jansen"]),
    (["Jose", "Maria", "Mark", "Cristina", "Joy", "Angelica", "Rodel", "Liza"],
     ["Santos", "Dela Cruz", "Bautista", "Villanueva", "Aquino", "Mendoza"]),
]

# Names placed at fixed employee ids of company 1: a few beginning with "Ra"/"ra"
# (one typed in lower case), an apostrophe, a hyphen and one non-Latin name.
SPECIAL_NAMES_1 = {
    7: "Rajesh Kumar", 23: "Rania Haddad", 58: "ravi menon", 104: "Rashid Al Mansoori",
    141: "Siobhan O'Brien", 177: "Дмитрий Соколов", 203: "Anne-Marie Dupont",
    266: "Ramona Ionescu", 289: "Patrick O'Neill",
}
SPECIAL_NAMES_2 = {512: "Rakesh Pillai", 527: "Conor O'Donnell"}


def make_names(rng, count, taken):
    names = []
    while len(names) < count:
        firsts, lasts = rng.choice(NAME_POOLS)
        name = rng.choice(firsts) + " " + rng.choice(lasts)
        if name in taken or name.lower().startswith("ra"):
            continue
        taken.add(name)
        names.append(name)
    return names


# ---------------------------------------------------------------------------
# Helpers
# ---------------------------------------------------------------------------

def round_to(value, step):
    return max(step, int(round(value / step)) * step)


def money(cents):
    return "%d.%02d" % (cents // 100, cents % 100)


def sql_value(v):
    if v is None:
        return "NULL"
    if isinstance(v, bool):
        return "1" if v else "0"
    if isinstance(v, int):
        return str(v)
    if isinstance(v, Money):
        return money(v.cents)
    if isinstance(v, datetime.date):
        return "'" + v.isoformat() + "'"
    s = str(v)
    if ";" in s:
        raise ValueError("semicolon in a literal: %r" % s)
    return "'" + s.replace("'", "''") + "'"


class Money:
    def __init__(self, cents):
        self.cents = int(cents)


class Writer:
    def __init__(self):
        self.lines = []

    def comment(self, text):
        self.lines.append("-- " + text)

    def blank(self):
        self.lines.append("")

    def insert(self, table, columns, values):
        self.lines.append("INSERT INTO %s (%s) VALUES (%s);" % (
            table, ", ".join(columns), ", ".join(sql_value(v) for v in values)))


# ---------------------------------------------------------------------------
# Company simulation
# ---------------------------------------------------------------------------

class Company:
    def __init__(self, cid, rng):
        self.cid = cid
        self.rng = rng
        self.desig = {d[0]: d for d in DESIGNATIONS[cid]}
        self.active_desigs = [d for d in DESIGNATIONS[cid] if d[3] == 1]
        self.allow = {a[0]: a for a in ALLOWANCES[cid]}
        self.ded = {d[0]: d for d in DEDUCTIONS[cid]}
        self.active_allow = [a[0] for a in ALLOWANCES[cid] if a[3] == 1]
        self.active_ded = [d[0] for d in DEDUCTIONS[cid] if d[3] == 1]
        self.employees = {}     # empid -> dict
        self.changes = []       # job change dicts, ordered by egcId once numbered

    # amounts -------------------------------------------------------------
    def basic_for(self, grade, currency):
        lo, hi = GRADE_PAY[self.cid][grade]
        worth = UNIT_WORTH[self.cid][currency]
        value = self.rng.uniform(lo, hi) / worth
        step = 100 if value > 20000 else 10
        cents = round_to(value, step) * 100
        if currency != 1 and self.rng.random() < 0.15:
            cents += 50          # an odd half, e.g. 1500.50
        return cents

    def line_amount(self, typical, currency):
        worth = UNIT_WORTH[self.cid][currency]
        value = typical * self.rng.uniform(0.5, 1.6) / worth
        step = 50 if value >= 1000 else 5
        return round_to(value, step) * 100

    def raised(self, cents, lo, hi, currency):
        value = cents / 100 * self.rng.uniform(lo, hi)
        step = 100 if value > 20000 else (10 if value > 500 else 5)
        return max(round_to(value, step) * 100, cents)

    # employees -----------------------------------------------------------
    def add_employee(self, empid, name, currency, active, desig_id=None):
        rng = self.rng
        if desig_id is None:
            weights = [6 if d[1] <= 2 else (3 if d[1] <= 4 else 1) for d in self.active_desigs]
            desig_id = rng.choices(self.active_desigs, weights)[0][0]
        grade = self.desig[desig_id][1]
        emp = {
            "id": empid, "no": "E%04d" % empid, "name": name, "currency": currency,
            "active": active, "desig": desig_id, "grade": grade,
            "basic": self.basic_for(grade, currency),
            "allow": self.initial_lines(self.active_allow, self.allow, rng.choices(
                [0, 1, 2, 3, 4, 5], [1, 2, 3, 3, 2, 1])[0], first_weight=3),
            "ded": self.initial_lines(self.active_ded, self.ded, rng.choices(
                [0, 1, 2, 3, 4, 5], [2, 3, 3, 2, 1, 1])[0], first_weight=4),
        }
        self.employees[empid] = emp
        return emp

    def initial_lines(self, active_ids, catalogue, count, first_weight):
        weights = [first_weight if i == active_ids[0] else 1 for i in active_ids]
        chosen = []
        pool = list(active_ids)
        w = list(weights)
        for _ in range(min(count, len(pool))):
            pick = self.rng.choices(range(len(pool)), w)[0]
            chosen.append(pool.pop(pick))
            w.pop(pick)
        chosen.sort()
        lines = []
        for pos, tid in enumerate(chosen, start=1):
            t = catalogue[tid]
            lines.append((pos, tid, self.line_amount(t[4], t[2])))
        return lines

    # job changes ---------------------------------------------------------
    def revise_lines(self, standing, active_ids, catalogue):
        """Lines of one job change from the standing lines (in detail id order)."""
        rng = self.rng
        lines = []
        held = set()
        for _, tid, amount in sorted(standing):
            held.add(tid)
            if rng.random() < 0.1:
                lines.append(("R", tid, amount, amount))
            elif rng.random() < 0.4:
                lines.append(("O", tid, amount, amount))
            else:
                t = catalogue[tid]
                lines.append(("O", tid, amount, self.raised(amount, 1.03, 1.25, t[2])))
        free = [i for i in active_ids if i not in held]
        for _ in range(rng.choices([0, 1, 2], [6, 3, 1])[0]):
            if not free:
                break
            tid = free.pop(rng.randrange(len(free)))
            t = catalogue[tid]
            lines.append(("N", tid, 0, self.line_amount(t[4], t[2])))
        return lines

    @staticmethod
    def standing_after(lines):
        return [(pos, tid, rev) for pos, (kind, tid, _old, rev) in enumerate(lines, start=1)
                if kind in ("O", "N")]

    def pick_new_designation(self, old_desig):
        rng = self.rng
        old_grade = self.desig[old_desig][1]
        r = rng.random()
        if r < 0.1:
            return old_desig                      # increment only, same job
        if r < 0.6:
            target = min(old_grade + 1, 6)        # promotion
        elif r < 0.9:
            target = old_grade                    # lateral move
        else:
            target = max(old_grade - 1, 1)        # re-designation to a lower grade
        choices = [d for d in self.active_desigs if d[1] == target and d[0] != old_desig]
        if not choices:
            choices = [d for d in self.active_desigs if d[0] != old_desig]
        return rng.choice(choices)[0]

    def job_change(self, emp, date, cancelled, cancel_user=None, remarks=None):
        rng = self.rng
        new_desig = self.pick_new_designation(emp["desig"])
        new_grade = self.desig[new_desig][1]
        old_grade = emp["grade"]
        if new_grade > old_grade:
            new_basic = self.raised(emp["basic"], 1.10, 1.30, emp["currency"])
        elif new_grade == old_grade:
            new_basic = self.raised(emp["basic"], 1.03, 1.12, emp["currency"])
        else:
            new_basic = self.raised(emp["basic"], 1.00, 1.02, emp["currency"])
        if remarks is None:
            remarks = rng.choice(REMARKS)
        jc = {
            "emp": emp["id"], "date": date,
            "old_desig": emp["desig"], "old_grade": old_grade, "old_basic": emp["basic"],
            "new_desig": new_desig, "new_grade": new_grade, "new_basic": new_basic,
            "remarks": remarks, "cancelled": 1 if cancelled else 0, "cancel_remarks": None,
            "allow": self.revise_lines(emp["allow"], self.active_allow, self.allow),
            "ded": self.revise_lines(emp["ded"], self.active_ded, self.ded),
        }
        if cancelled:
            user = USERS[0][1] if cancel_user is None else cancel_user
            jc["cancel_remarks"] = user.strip() + ":" + rng.choice(CANCEL_REASONS)
        else:
            emp["desig"], emp["grade"], emp["basic"] = new_desig, new_grade, new_basic
            emp["allow"] = self.standing_after(jc["allow"])
            emp["ded"] = self.standing_after(jc["ded"])
        self.changes.append(jc)
        return jc

    def number_changes(self, prefix):
        """egcId 1..n in date order (then employee); numbers follow the ids."""
        self.changes.sort(key=lambda jc: (jc["date"], jc["emp"]))
        for i, jc in enumerate(self.changes, start=1):
            jc["id"] = i
            jc["no"] = prefix + str(i)


def spread_dates(rng, start, end, count, min_gap):
    """`count` increasing dates in [start, end], at least `min_gap` days apart."""
    span = (end - start).days
    while True:
        days = sorted(rng.sample(range(span + 1), count))
        if all(b - a >= min_gap for a, b in zip(days, days[1:])):
            return [start + datetime.timedelta(days=d) for d in days]


def build_company_1(rng, taken):
    co = Company(1, rng)
    names = iter(make_names(rng, 300, taken))
    inactive = set(rng.sample(range(1, 301), 18)) - {7, 23, 58, 141, 177}
    for empid in range(1, 301):
        name = SPECIAL_NAMES_1.get(empid) or next(names)
        currency = rng.choices([1, 2, 3], [8, 1, 1])[0]
        co.add_employee(empid, name, currency, 0 if empid in inactive else 1)

    # Examples a developer can rely on (all active unless said otherwise).
    several = [12, 141]           # several job changes, one cancelled in the middle (141)
    only_cancelled = 33           # one job change, cancelled
    future = [45, 90, 177, 250]   # latest job change dated after the process date
    future_cancelled = 61         # a cancelled job change dated after the process date
    on_process_date = 75          # latest job change dated on the process date itself
    on_inactive_desig = [19, 88, 230]   # no job change, designation no longer active
    never = [1, 2, 3]             # no job change at all
    inactive_with_change = 5      # inactive employee with a listed job change
    co.employees[inactive_with_change]["active"] = 0
    for e in several + [only_cancelled, future_cancelled, on_process_date] + future:
        co.employees[e]["active"] = 1
    fixed = set(several + future + on_inactive_desig + never +
                [only_cancelled, future_cancelled, on_process_date, inactive_with_change])

    start = datetime.date(2025, 6, 2)
    counts = {}
    for empid in range(1, 301):
        if empid in fixed:
            continue
        counts[empid] = rng.choices([0, 1, 2, 3, 4], [25, 36, 24, 10, 5])[0]
    counts[12] = 4
    counts[141] = 3
    counts[inactive_with_change] = 1
    for e in future:
        counts[e] = rng.choice([0, 1, 2])
    counts[future_cancelled] = 1
    counts[on_process_date] = 1

    for e in on_inactive_desig:
        emp = co.employees[e]
        emp["desig"] = rng.choice([d for d in DESIGNATIONS[1] if d[3] == 0])[0]
        emp["grade"] = co.desig[emp["desig"]][1]
        emp["basic"] = co.basic_for(emp["grade"], emp["currency"])

    for empid in sorted(counts):
        emp = co.employees[empid]
        n = counts[empid]
        if n == 0:
            continue
        end = PROCESS_DATE - datetime.timedelta(days=1)
        if empid == inactive_with_change:
            dates = [datetime.date(2026, 3, 16)]
        else:
            dates = spread_dates(rng, start, end, n, 45)
        for i, d in enumerate(dates):
            if empid == 141:
                cancelled = (i == 1)
            elif empid == 12:
                cancelled = False
            else:
                cancelled = rng.random() < 0.07
            user = " Clerk Two " if rng.random() < 0.3 else "Administrator"
            co.job_change(emp, d, cancelled, cancel_user=user)

    emp = co.employees[only_cancelled]
    co.job_change(emp, datetime.date(2026, 9, 14), True, remarks="Promotion to the new branch")
    emp = co.employees[on_process_date]
    co.job_change(emp, PROCESS_DATE, False, remarks="Effective from the process date")
    emp = co.employees[future_cancelled]
    co.job_change(emp, datetime.date(2026, 12, 8), True, cancel_user="Administrator",
                  remarks="Planned transfer, later withdrawn")
    for i, e in enumerate(future):
        co.job_change(co.employees[e], datetime.date(2026, 12, 1 + 4 * i), False,
                      remarks="Approved in advance, effective next month")

    # One job change with very long remarks (well over 10000 characters).
    long_note = ("Minutes of the review committee: the employee has handled the additional "
                 "responsibilities of the section since the last appraisal, and the committee "
                 "recommends the change of job with the revised basic pay and allowances. ")
    victim = next(jc for jc in co.changes if jc["emp"] == 12)
    victim["remarks"] = (long_note * (10500 // len(long_note) + 1)).strip()

    co.number_changes("JC")
    return co


def build_company_2(rng, taken):
    co = Company(2, rng)
    names = iter(make_names(rng, 40, taken))
    inactive = {509, 533, 538}
    for empid in range(501, 541):
        name = SPECIAL_NAMES_2.get(empid) or next(names)
        currency = rng.choices([1, 2, 3], [7, 2, 1])[0]
        co.add_employee(empid, name, currency, 0 if empid in inactive else 1)
    emp = co.employees[520]
    emp["desig"] = 11                    # Regional Coordinator, no longer active
    emp["grade"] = co.desig[11][1]
    emp["basic"] = co.basic_for(emp["grade"], emp["currency"])

    start = datetime.date(2024, 1, 8)
    end = PROCESS_DATE - datetime.timedelta(days=1)
    planned = {}
    for empid in rng.sample([e for e in range(501, 541) if e != 520], 22):
        planned[empid] = rng.choices([1, 2, 3], [14, 6, 2])[0]
    for empid in sorted(planned):
        emp = co.employees[empid]
        for d in spread_dates(rng, start, end, planned[empid], 60):
            cancelled = rng.random() < 0.08
            co.job_change(emp, d, cancelled, cancel_user="Administrator")
    co.number_changes("")
    return co


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

def write_company(w, co):
    cid = co.cid
    w.comment("Company %d" % cid)
    for cur in CURRENCIES[cid]:
        w.insert("pay_currencymaster", ["CompanyID", "CurrencyID", "CurrencyName", "symbol"],
                 [cid, cur[0], cur[1], cur[2]])
    for g in GRADES[cid]:
        w.insert("pay_grades", ["gID", "gCompanyid", "gDescription"], [g[0], cid, g[1]])
    for d in DESIGNATIONS[cid]:
        w.insert("pay_designation", ["dDesigID", "dCompanyID", "dGradeID", "dDescription", "dactive"],
                 [d[0], cid, d[1], d[2], d[3]])
    for a in ALLOWANCES[cid]:
        w.insert("pay_allowances", ["aAllowanceID", "aCompanyID", "aDescription", "aCurrencyID", "aActive"],
                 [a[0], cid, a[1], a[2], a[3]])
    for d in DEDUCTIONS[cid]:
        w.insert("pay_deductions", ["dDedID", "dCompanyID", "dDescription", "dCurrencyID", "dActive"],
                 [d[0], cid, d[1], d[2], d[3]])
    for c, n in SETTINGS:
        if c == cid:
            w.insert("pay_settings", ["companyID", "NoOfPreviousDays"], [c, n])
    for c, i, p in PREFIXES:
        if c == cid:
            w.insert("pay_prefix", ["CompanyID", "InterfaceID", "Prefix"], [c, i, p])
    for uid, name in USERS:
        w.insert("pay_users", ["companyid", "userid", "username"], [cid, uid, name])

    w.blank()
    w.comment("Company %d: employees and their standing allowances and deductions" % cid)
    for empid in sorted(co.employees):
        e = co.employees[empid]
        w.insert("pay_employee", ["eCompanyID", "eEmpID", "eempno", "eName", "eDesigID", "eGradeID",
                                  "eBasic", "ecurrencyid", "eActive"],
                 [cid, empid, e["no"], e["name"], e["desig"], e["grade"], Money(e["basic"]),
                  e["currency"], e["active"]])
    for empid in sorted(co.employees):
        for pos, tid, amount in co.employees[empid]["allow"]:
            w.insert("pay_empallowances", ["eacompanyid", "eaempid", "eadetailid", "eaallowanceid", "eaamount"],
                     [cid, empid, pos, tid, Money(amount)])
    for empid in sorted(co.employees):
        for pos, tid, amount in co.employees[empid]["ded"]:
            w.insert("pay_empdeductions", ["edcompanyid", "edempid", "eddetailid", "eddeductionid", "edamount"],
                     [cid, empid, pos, tid, Money(amount)])

    w.blank()
    w.comment("Company %d: job changes and their lines" % cid)
    for jc in co.changes:
        w.insert("pay_employeegradechange",
                 ["egcId", "egcCompanyID", "egcNo", "egcDate", "egcEmpID", "egcOldDesigID", "egcOldGradeID",
                  "egcOldBasic", "egcNewDesigID", "egcNewGradeID", "egcNewBasic", "egcremarks",
                  "egcCancelled", "egcCancelledRemarks"],
                 [jc["id"], cid, jc["no"], jc["date"], jc["emp"], jc["old_desig"], jc["old_grade"],
                  Money(jc["old_basic"]), jc["new_desig"], jc["new_grade"], Money(jc["new_basic"]),
                  jc["remarks"], jc["cancelled"], jc["cancel_remarks"]])
    for jc in co.changes:
        for pos, (kind, tid, old, rev) in enumerate(jc["allow"], start=1):
            w.insert("pay_empgcallowance", ["egcacompanyid", "egcagcid", "egcadetailid", "egcaallowanceid",
                                            "egcaoldamount", "egcarevamount", "egcatype"],
                     [cid, jc["id"], pos, tid, Money(old), Money(rev), kind])
    for jc in co.changes:
        for pos, (kind, tid, old, rev) in enumerate(jc["ded"], start=1):
            w.insert("pay_empgcdeductions", ["egcdcompanyid", "egcdgcid", "egcddetailid", "egcddeductionid",
                                             "egcdoldamount", "egcdrevamount", "egcdtype"],
                     [cid, jc["id"], pos, tid, Money(old), Money(rev), kind])
    w.blank()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "demo.sql")
    rng = random.Random(SEED)
    taken = set(SPECIAL_NAMES_1.values()) | set(SPECIAL_NAMES_2.values())
    companies = [build_company_1(rng, taken), build_company_2(rng, taken)]

    w = Writer()
    w.comment("Demo payroll data. Generated by make_demo.py: edit that and run it again.")
    w.comment("Demo process date %s. Load after the tables of the dialect." % PROCESS_DATE.isoformat())
    w.blank()
    w.comment("Function rights for the job change interface %d and others" % INTERFACE_ID)
    for uid, iid, rights in USER_RIGHTS:
        w.insert("pay_userrights", ["userid", "interfaceid", "functionrights"], [uid, iid, rights])
    w.blank()
    for co in companies:
        write_company(w, co)

    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(w.lines).rstrip("\n") + "\n")
    for co in companies:
        print("company %d: %d employees, %d job changes" % (co.cid, len(co.employees), len(co.changes)))


if __name__ == "__main__":
    main()
