// The suite host's strings and the column headings shared by the suite's
// libraries, in Canadian French.
//
// These texts belong to the suite, not to the module: module names, report
// names and list headings as the stand-in suite names them. Some headings
// must match each other because charts find a list column by its title:
// 10334 and 10348 (the last column of the statistics summary, charted under
// 10334) carry the same text. Sorted by id; the static_asserts keep them so.

#include "res/string_tables.h"

namespace {

constexpr StringEntry kHostStrings[] = {
    // The suite's own name.
    {1, "Cabinet Tolvane"},
    // Module names (the audit module table's string ids).
    {2535, "Connexions et outils"},
    {5022, "Gestion des documents"},
    {5107, "Agenda"},
    {5108, "Charte dentaire"},
    {5114, "Rapports"},
    {5118, "Réclamations électroniques"},
    {5119, "Utilitaires"},
    {5136, "Références"},
    {5137, "Propositions de traitement"},
    {5138, "Plans de paiement"},
    {5139, "Messagerie"},
    {5141, "Parodontie"},
    {5142, "Notes cliniques"},
    {5143, "Questionnaire médical"},
    {5144, "Plan de traitement"},
    {5145, "Alertes médicales"},
    {5149, "Imagerie"},
    {5156, "Formulaires"},
    {5157, "Rappels"},
    {5159, "Analyse de la pratique"},
    {5162, "Dossier médical"},
    // Report names of print audit rows (at most 31 bytes: they fill a 32-byte table name).
    {10985, "Rapport de fin de journée"},
    {11000, "Liste des patients"},
    {11001, "Étiquettes des patients"},
    {11002, "Comptes à recevoir"},
    {11003, "Relevés de compte"},
    {11004, "Sommaire des comptes"},
    {11005, "Historique des comptes"},
    {11007, "Soldes des comptes"},
    {11009, "Analyse de production"},
    {11010, "Production par producteur"},
    {11025, "Journal des transactions"},
    {11026, "Journal des paiements"},
    {11027, "Journal des ajustements"},
    {11028, "Dépôt bancaire"},
    {11029, "Frais du cabinet"},
    {11030, "Réclamations en suspens"},
    {11031, "Réclamations envoyées"},
    {11032, "Prédéterminations"},
    {11033, "Sommaire quotidien"},
    {11034, "Analyse des procédures"},
    {11035, "Traitements planifiés"},
    {11036, "Plans de traitement"},
    {11037, "Propositions acceptées"},
    {11038, "Rappels des patients"},
    {11039, "Cartes de rappel"},
    {11040, "Confirmations de R.-V."},
    {11041, "Rendez-vous manqués"},
    {11042, "Patients référés"},
    {11043, "Statistiques des références"},
    {11044, "Nouveaux patients"},
    {11045, "Patients inactifs"},
    {11046, "Anniversaires des patients"},
    {11054, "Codes de procédure"},
    {11075, "Liste des tarifs"},
    {11076, "Compagnies d'assurance"},
    {11077, "Employeurs et polices"},
    {11081, "Liste des producteurs"},
    {11126, "Plans de paiement"},
    {11127, "Intérêts facturés"},
    {11128, "Soldes d'assurance"},
    {11150, "Rapport des taxes"},
    {11151, "Journal d'audit"},
    {11152, "Historique des audits"},
    {11175, "Rappels par courriel"},
    {11176, "Liste des rendez-vous"},
    {11177, "Liste d'attente"},
    {11178, "Horaire des producteurs"},
    {11179, "Utilisation des salles"},
    {20105, "Patients"},
    {20106, "Transactions"},
};
static_assert(IsSortedUnique(kHostStrings), "host string ids must be sorted and unique");

constexpr StringEntry kSharedHeadings[] = {
    // Audit list headings (detailed, summary, history, option lists).
    {10040, "Date"},
    {10041, "Table"},
    {10045, "Nom"},
    {10062, "Code"},
    {10064, "Producteur"},
    {10076, "Code"},
    {10079, "Producteurs"},
    {10083, "Description"},
    {10104, "Pourcentage"},
    {10141, "Heure"},
    {10150, "Total"},
    {10151, "Producteurs avec total"},
    {10152, "Périodes avec total"},
    {10153, "Producteurs par année"},
    {10154, "Périodes par année"},
    {10160, "Ordre"},
    {10161, "Dentiste"},
    {10177, "Nombre"},
    {10181, "Salles"},
    {10189, "Action"},
    {10215, "Sous-total"},
    {10218, "Usager"},
    {10250, "Module"},
    {10281, "Date"},
    // Practice statistics: patients, summary and chart axis headings.
    {10326, "Nouveaux"},
    {10331, "Chang. statut"},
    {10332, "Net"},
    {10333, "Actifs"},
    {10334, "Solde"},
    {10335, "Traitements"},
    {10336, "Frais cabinet"},
    {10337, "Crédits"},
    {10338, "Production"},
    {10339, "Réclamations"},
    {10340, "Paiements"},
    {10341, "Trimestres"},
    {10342, "Mois"},
    {10343, "Année"},
    {10348, "Solde"},
};
static_assert(IsSortedUnique(kSharedHeadings), "heading ids must be sorted and unique");

}  // namespace

std::span<const StringEntry> HostStringTable() { return kHostStrings; }
std::span<const StringEntry> SharedHeadingTable() { return kSharedHeadings; }
