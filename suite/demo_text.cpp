// Fixed reference lists of the demo practice: procedures and codes with their
// fees (cents), names, places, employers. Texts in Canadian French.
#include "suite/demo_internal.h"

namespace demo {

const std::vector<Procedure>& Procedures() {
  static const std::vector<Procedure> v = {
      // dentist, visit work
      {"01103", "Examen complet", "Complete examination", 10500, 0, 'D', 'V'},
      {"01202", "Examen de rappel", "Recall examination", 4500, 0, 'D', 'V'},
      {"01205", "Examen d'urgence", "Emergency examination", 5500, 0, 'D', 'V'},
      {"02102", "Radiographies intrabuccales", "Intraoral radiographs", 3800, 0, 'D', 'V'},
      {"02601", "Radiographie panoramique", "Panoramic radiograph", 9000, 0, 'D', 'V'},
      {"21211", "Amalgame, une surface", "Amalgam, one surface", 9500, 0, 'D', 'V'},
      {"23311", "Composite, une surface", "Composite, one surface", 11500, 0, 'D', 'V'},
      {"23312", "Composite, deux surfaces", "Composite, two surfaces", 15500, 0, 'D', 'V'},
      {"23313", "Composite, trois surfaces", "Composite, three surfaces", 19500, 0, 'D', 'V'},
      {"71101", "Extraction simple", "Simple extraction", 14000, 0, 'D', 'V'},
      // dentist, planned work
      {"27201", "Couronne céramo-métallique", "Porcelain fused to metal crown", 110000, 35000, 'D', 'P'},
      {"33111", "Traitement de canal, une racine", "Root canal, one canal", 62000, 0, 'D', 'P'},
      {"33131", "Traitement de canal, trois racines", "Root canal, three canals", 105000, 0, 'D', 'P'},
      {"62501", "Pont, pilier", "Bridge abutment", 95000, 30000, 'D', 'P'},
      {"71201", "Extraction chirurgicale", "Surgical extraction", 32000, 0, 'D', 'P'},
      {"52101", "Prothèse partielle", "Partial denture", 140000, 45000, 'D', 'P'},
      {"23314", "Composite, quatre surfaces", "Composite, four surfaces", 24000, 0, 'D', 'P'},
      // dentist, proposals
      {"79931", "Implant dentaire", "Dental implant", 320000, 60000, 'D', 'X'},
      {"96011", "Traitement orthodontique complet", "Comprehensive orthodontics", 600000, 0, 'D', 'X'},
      {"97111", "Facette en porcelaine", "Porcelain veneer", 125000, 40000, 'D', 'X'},
      {"96201", "Blanchiment professionnel", "Professional whitening", 45000, 0, 'D', 'X'},
      {"42311", "Greffe gingivale", "Gingival graft", 85000, 0, 'D', 'X'},
      // hygienist
      {"11101", "Détartrage, une unité", "Scaling, one unit", 5200, 0, 'H', 'V'},
      {"11102", "Détartrage, deux unités", "Scaling, two units", 10400, 0, 'H', 'V'},
      {"11103", "Détartrage, trois unités", "Scaling, three units", 15600, 0, 'H', 'V'},
      {"11701", "Polissage", "Polishing", 3500, 0, 'H', 'V'},
      {"12101", "Fluorure topique", "Topical fluoride", 2600, 0, 'H', 'V'},
      {"13401", "Scellant, par dent", "Sealant, per tooth", 3900, 0, 'H', 'V'},
      {"14101", "Instructions d'hygiène buccale", "Oral hygiene instruction", 2900, 0, 'H', 'V'},
  };
  return v;
}

const std::vector<ApptCode>& ApptCodes() {
  static const std::vector<ApptCode> v = {
      {"EXAM", "Examen", 6, 'D', 30},         {"URG", "Urgence", 6, 'D', 8},
      {"OBT", "Obturation", 9, 'D', 25},       {"COUR", "Couronne", 18, 'D', 5},
      {"CANAL", "Traitement de canal", 18, 'D', 5}, {"EXTR", "Extraction", 9, 'D', 8},
      {"CONS", "Consultation", 6, 'D', 7},     {"PONT", "Pont", 18, 'D', 2},
      {"NETT", "Nettoyage", 9, 'H', 50},       {"DETAR", "Détartrage", 12, 'H', 40},
      {"SCEL", "Scellants", 6, 'H', 10},       {"ORTHO", "Suivi orthodontique", 4, 'D', 10},
  };
  return v;
}

const std::vector<Named>& ApptTypes() {
  static const std::vector<Named> v = {
      {"NP", "Nouveau patient"}, {"RAP", "Rappel"},       {"TRT", "Traitement"}, {"URG", "Urgence"},
      {"CON", "Consultation"},   {"HYG", "Hygiène"},      {"SUI", "Suivi"},
  };
  return v;
}

const std::vector<Named>& OfficeChargeCodes() {
  static const std::vector<Named> v = {
      {"RDVM", "Rendez-vous manqué"},   {"COPIE", "Copie du dossier"},
      {"BROS", "Brosse à dents"},       {"BLANC", "Trousse de blanchiment"},
      {"FORM", "Formulaire d'assurance"}, {"PROT", "Protège-dents sportif"},
  };
  return v;
}

// Payments first (index < kFirstAdjustmentCode in demo_visits.cpp), then adjustments.
const std::vector<Named>& PaymentCodes() {
  static const std::vector<Named> v = {
      {"COMPT", "Paiement comptant"},   {"CHQ", "Paiement par chèque"},
      {"DEBIT", "Carte de débit"},      {"VISA", "Carte Visa"},
      {"MC", "Carte Mastercard"},       {"ASSUR", "Paiement d'assurance"},
      {"TEF", "Transfert électronique"},
      {"ESC", "Escompte"},              {"RADI", "Radiation de solde"},
      {"COURT", "Courtoisie professionnelle"}, {"NSF", "Frais, chèque sans provision"},
  };
  return v;
}

const std::vector<Named>& AlertCodes() {
  static const std::vector<Named> v = {
      {"Allergie pénicilline", "Réaction cutanée documentée"},
      {"Allergie latex", "Utiliser des gants de nitrile"},
      {"Allergie codéine", ""},
      {"Diabète", "Type 2, contrôlé"},
      {"Hypertension", "Prendre la pression avant l'anesthésie"},
      {"Anticoagulants", "Vérifier le RNI"},
      {"Prémédication requise", "Antibiotique une heure avant"},
      {"Grossesse", ""},
      {"Asthme", "Pompe au fauteuil"},
      {"Problème cardiaque", "Consulter le cardiologue"},
      {"Prothèse de hanche", ""},
      {"Bisphosphonates", "Risque d'ostéonécrose"},
      {"Épilepsie", ""},
      {"Anxiété dentaire", "Prévoir du temps"},
  };
  return v;
}

const std::vector<const char*>& FirstNamesF() {
  static const std::vector<const char*> v = {
      "Marie", "Julie", "Sophie", "Isabelle", "Catherine", "Nathalie", "Émilie", "Geneviève",
      "Mélanie", "Valérie", "Chantal", "Josée", "Annie", "Karine", "Stéphanie", "Caroline",
      "Véronique", "Audrey", "Léa", "Chloé", "Camille", "Florence", "Rosalie", "Zoé",
      "Océane", "Maëlle", "Béatrice", "Élise", "Hélène", "Lucie", "Monique", "Sylvie",
      "Diane", "Francine", "Ginette", "Louise", "Jacinthe", "Noémie", "Gabrielle", "Juliette"};
  return v;
}

const std::vector<const char*>& FirstNamesM() {
  static const std::vector<const char*> v = {
      "Jean", "Pierre", "Michel", "André", "François", "Luc", "Marc", "Stéphane",
      "Éric", "Martin", "Sylvain", "Patrick", "Daniel", "Mathieu", "Simon", "Alexandre",
      "Guillaume", "Maxime", "Olivier", "Félix", "Samuel", "William", "Thomas", "Nathan",
      "Gabriel", "Antoine", "Louis-Philippe", "Jérôme", "Benoît", "Réjean", "Gilles", "Normand",
      "Gaétan", "Yves", "Denis", "Étienne", "Raphaël", "Émile", "Jacob", "Zacharie"};
  return v;
}

const std::vector<const char*>& LastNames() {
  static const std::vector<const char*> v = {
      "Tremblay", "Gagnon", "Roy", "Côté", "Bouchard", "Gauthier", "Morin", "Lavoie",
      "Fortin", "Gagné", "Ouellet", "Pelletier", "Bélanger", "Lévesque", "Bergeron", "Leblanc",
      "Paquette", "Girard", "Simard", "Boucher", "Caron", "Beaulieu", "Cloutier", "Dubé",
      "Poirier", "Fournier", "Lapointe", "Leclerc", "Lefebvre", "Poulin", "Thibault", "St-Pierre",
      "Nadeau", "Martin", "Landry", "Martel", "Bédard", "Grenier", "Lessard", "Bernier",
      "Richard", "Michaud", "Hébert", "Desjardins", "Couture", "Turcotte", "Lachance", "Parent",
      "Blais", "Gosselin", "Savard", "Proulx", "Beaudoin", "Demers", "Perreault", "Boivin",
      "Vachon", "Langlois", "Bérubé", "Charbonneau", "O'Brien", "MacDonald", "Nguyen", "Tran",
      "Haddad", "Diallo", "Rodriguez", "Bilodeau", "Gervais", "Marchand"};
  return v;
}

const std::vector<const char*>& Streets() {
  static const std::vector<const char*> v = {
      "rue Saint-Denis", "boul. René-Lévesque", "rue Sherbrooke Est", "ch. Sainte-Foy",
      "av. du Parc", "rue King Ouest", "boul. Laurier", "rue des Érables",
      "rue Principale", "rang Saint-Joseph", "av. Cartier", "rue de la Montagne"};
  return v;
}

const std::vector<const char*>& Cities() {
  static const std::vector<const char*> v = {
      "Montréal", "Québec", "Lévis", "Laval", "Gatineau", "Sherbrooke", "Longueuil",
      "Trois-Rivières", "Saint-Jean-sur-Richelieu", "Boucherville", "Terrebonne", "Rimouski"};
  return v;
}

const std::vector<const char*>& Employers() {
  static const std::vector<const char*> v = {
      "Hydro-Québec", "Ville de Montréal", "Bombardier inc.", "Mouvement Desjardins",
      // longer than the column (50): stored cut
      "Centre de services scolaire des Premières-Seigneuries de la Capitale",
      "CIUSSS de la Capitale-Nationale", "Cascades", "Saputo inc.", "Banque Nationale",
      "Université Laval", "Vidéotron", "CGI", "Alimentation Couche-Tard", "Metro inc.",
      "Société des alcools du Québec", "Loto-Québec", "Gouvernement du Québec",
      "Agropur coopérative", "Garage Bérubé & Fils", "Boulangerie L'Épi d'or"};
  return v;
}

const std::vector<const char*>& Insurers() {
  static const std::vector<const char*> v = {"SUNLF", "MANUV", "DESJ", "SSQ", "GWL", "IA", "BLUEC", "CANAS"};
  return v;
}

const std::vector<const char*>& ProposalTitles() {
  static const std::vector<const char*> v = {
      "Plan implantaire", "Réhabilitation complète", "Orthodontie", "Esthétique antérieure",
      "Remplacement des amalgames", "Pont postérieur", "Prothèse partielle amovible",
      "Traitement parodontal"};
  return v;
}

const std::vector<const char*>& DocumentTitles() {
  static const std::vector<const char*> v = {
      "Consentement éclairé", "Radiographie panoramique", "Lettre au spécialiste",
      "Rapport de référence", "Formulaire d'assurance", "Photo intrabuccale",
      "Plan de traitement signé", "Historique médical"};
  return v;
}

const std::vector<const char*>& Questions() {
  static const std::vector<const char*> v = {
      "Prenez-vous des médicaments?", "Avez-vous des allergies?", "Êtes-vous enceinte?",
      "Fumez-vous?", "Vos gencives saignent-elles?", "Sensibilité au froid?",
      "Date de votre dernière visite chez le dentiste?", "Avez-vous des problèmes cardiaques?"};
  return v;
}

const std::vector<int>& ReportIds() {
  static const std::vector<int> v = {
      7004, 2036, 2037, 2031, 2032, 2033, 2034, 2035, 7026, 7034, 7001, 7003, 7006, 7008, 7007, 7010,
      7011, 7013, 7002, 7015, 7017, 7018, 7019, 7020, 7028, 7029, 7030, 7031, 7033, 7032, 7036, 7035,
      7037, 7042, 7044, 7045, 7046, 2058, 2044, 2045, 2043, 2076, 2038, 2040, 2039, 2055, 7021, 7023};
  return v;
}

}  // namespace demo
