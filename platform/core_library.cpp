// orvalis_core is made of the subsystems' object libraries; this file only gives it a source.
