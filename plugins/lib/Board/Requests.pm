package Board::Requests;
# Board::Requests - the post requests the library queues in *.cmw files, and
# posting each exactly once.
#
# A request file: header lines "#X:...", then per mail a record "S:" status
# line (comma text: fields end at a comma or a run of blanks and control
# characters; a double-quoted field may hold both), "T:" title, "M:" first
# body line, further body lines, "." alone. The library writes a body line
# "." as ". ". A handled request's status line ends in ",," (empty flags,
# final comma); the library drops it from the file after the run.
#
# Exactly once: a request whose outcome is unclear (time-out, connection
# dropped after the request left, an answer that is neither the board's
# "written" page nor a refusal) is never sent again blindly. Before a request
# leaves, a mark (digest of the request => when it was sent) is written to the
# plugin's sent file; a definite outcome clears it. A request still marked on
# a later run is looked for in the thread the plugin fetches anyway: found
# (same text, same name, posted after the mark) it is handled, not found it is
# sent again.
#
# API:
#   request_files($dir)            the request files the library searches too:
#                                  *.cmw in $dir and in folders named *.cmw,
#                                  never names beginning with "."
#   comma_fields($s)               a status line's fields
#   read_requests($path)           { path, eol, lines, pending => [req] };
#                                  req = { status => line index, fields =>
#                                  [status fields], title, body => [lines] };
#                                  a record cut off by the end of the file is
#                                  left for the next run; undef (and a
#                                  warning 'file_error') when unreadable
#   mark_handled($file, $req)      ",," on its status line, file rewritten
#   clean_title($s), clean_body(@lines)
#                                  control characters blanked; a title trimmed;
#                                  blank lines at the body's ends dropped
#   same_post(\%wanted, \%post)    whether a post on the board is the request:
#                                  wanted = { name, body => [lines] }, post =
#                                  { name, body => [lines], time => epoch
#                                  or undef, after => mark time }; text compared
#                                  without blanks; the name when it is given
#                                  and holds no trip key ("#"): the post's
#                                  name starts with it; the post's time (when
#                                  known) no more than $SLACK seconds before
#                                  the mark
#   $SLACK                         300 (clocks of boards and users differ)
#
#   my $q = Board::Requests->new(sent_file => 'NAME.sent', salt => $url)
#   $q->pending                    every pending request of every request file,
#                                  each with {file} and {digest} (of the salt,
#                                  the thread field, title and body) and
#                                  {sent} (epoch of an earlier unclear send,
#                                  or undef); marks of requests no longer
#                                  pending are dropped
#   $q->sending($req)              marks it sent now (written at once)
#   $q->unclear($req, $reason)     leaves the mark; warns 'post_unclear'
#   $q->failed($req, $reason)      clears the mark (it will be sent again);
#                                  warns 'post_failed'
#   $q->handled($req)              ",," and the mark cleared
#   $q->found($req)                handled, warning 'post_found' (for the log)
use strict;
use warnings;
use re '/aa';
use Digest::MD5 ();
use Exporter 'import';
use Board::Files qw(read_file write_file_atomic);
use Board::Messages qw(warning);

our @EXPORT_OK = qw(request_files comma_fields read_requests mark_handled clean_title clean_body same_post);
our $SLACK = 300;

sub request_files {
    my ($dir) = @_;
    opendir my $dh, $dir or return ();
    my @found;
    for my $name (sort readdir $dh) {
        next if $name =~ /^\./ || $name !~ /\.cmw\z/i;
        my $path = $dir eq '.' ? $name : "$dir/$name";
        push @found, -d $path ? request_files($path) : $path;
    }
    closedir $dh;
    return @found;
}

sub comma_fields {
    my ($s) = @_;
    my @f;
    $s =~ s/^[\x00-\x20]+//;
    while ($s ne '') {
        my $field = '';
        if ($s =~ s/^"//) {
            while ($s ne '') {
                if ($s =~ s/^""//) { $field .= '"'; next }
                last if $s =~ s/^"//;
                $s =~ s/^([^"]+)// and $field .= $1;
            }
            $s =~ s/^[^,\x00-\x20]*//;
        } else {
            $s =~ s/^([^,\x00-\x20]*)// and $field = $1;
        }
        push @f, $field;
        $s =~ s/^[\x00-\x20]*,?[\x00-\x20]*//;
    }
    return @f;
}

sub read_requests {
    my ($path) = @_;
    my $bytes = read_file($path);
    if (!defined $bytes) { warning('file_error', $path, "$!"); return undef }
    my $eol = $bytes =~ /(\r?\n)/ ? $1 : "\n";
    my @lines = split /\r\n|\r|\n/, $bytes;
    my (@pending, $cur, $in_body);
    my $i = 0;
    $i++ while $i < @lines && $lines[$i] =~ /^#/;
    for (; $i < @lines; $i++) {
        my $line = $lines[$i];
        if (!$cur) {
            next unless $line =~ /^S:/;
            $cur = { status => $i, fields => [comma_fields(substr $line, 2)], title => '', body => [],
                     handled => scalar($line =~ /,,\z/) };
            $in_body = 0;
        } elsif ($line eq '.') {
            push @pending, $cur unless delete $cur->{handled};
            $cur = undef;
        } elsif ($in_body) {
            push @{$cur->{body}}, $line eq '. ' ? '.' : $line;
        } elsif ($line =~ /^M:(.*)\z/s) {
            push @{$cur->{body}}, $1;
            $in_body = 1;
        } elsif ($line =~ /^T:(.*)\z/s) {
            $cur->{title} = $1;
        }
    }
    return { path => $path, eol => $eol, lines => \@lines, pending => \@pending };
}

sub mark_handled {
    my ($file, $req) = @_;
    my $line = $file->{lines}[$req->{status}];
    $line =~ s/,[^,"]*,?\z/,,/ or $line .= ',,';
    $file->{lines}[$req->{status}] = $line;
    write_file_atomic($file->{path}, join('', map { "$_$file->{eol}" } @{$file->{lines}}));
}

sub clean_title {
    my ($title) = @_;
    $title =~ tr/\x00-\x1f\x7f/ /;
    $title =~ s/^ +| +$//g;
    return $title;
}

sub clean_body {
    my @body = @_;
    tr/\x00-\x08\x0b-\x1f\x7f/ / for @body;
    pop @body while @body && $body[-1] =~ /^\s*\z/;
    shift @body while @body && $body[0] =~ /^\s*\z/;
    return @body;
}

sub squeeze { join('', @_) =~ s/[\x00-\x20]+//gr =~ s/\x81\x40//gr }

sub same_post {
    my ($want, $post) = @_;
    return 0 unless squeeze(@{$want->{body}}) eq squeeze(@{$post->{body}});
    my $name = $want->{name} // '';
    return 0 if $name ne '' && index($name, '#') < 0 && index($post->{name} // '', $name) != 0;
    return 0 if defined $post->{time} && defined $post->{after} && $post->{time} < $post->{after} - $SLACK;
    return 1;
}

# ---------------------------------------------------------------- the queue

sub new {
    my ($class, %o) = @_;
    my $self = bless { sent_file => $o{sent_file}, salt => $o{salt} // '', marks => {} }, $class;
    for (split /\r\n|\r|\n/, read_file($self->{sent_file}) // '') {
        my ($digest, $time) = split /\t/;
        $self->{marks}{$digest} = $time if defined $time && $time =~ /^\d+\z/;
    }
    return $self;
}

sub pending {
    my ($self) = @_;
    my @all;
    for my $file (grep { $_ && @{$_->{pending}} } map { read_requests($_) } request_files('.')) {
        for my $req (@{$file->{pending}}) {
            $req->{file} = $file;
            $req->{digest} = Digest::MD5::md5_hex(join "\0", $self->{salt}, $req->{fields}[1] // '',
                                                  clean_title($req->{title}), clean_body(@{$req->{body}}));
            $req->{sent} = $self->{marks}{$req->{digest}};
            push @all, $req;
        }
    }
    # A mark whose request is gone (handled, or taken away by the user) is
    # forgotten.
    my %current = map { $_->{digest} => 1 } @all;
    my @stale = grep { !$current{$_} } keys %{$self->{marks}};
    if (@stale) {
        delete @{$self->{marks}}{@stale};
        $self->save_marks;
    }
    return @all;
}

sub save_marks {
    my ($self) = @_;
    my $m = $self->{marks};
    if (%$m) {
        write_file_atomic($self->{sent_file}, join '', map { "$_\t$m->{$_}\r\n" } sort keys %$m);
    } elsif (-e $self->{sent_file}) {
        unlink $self->{sent_file};
    }
}

sub sending {
    my ($self, $req) = @_;
    $req->{sent} = $self->{marks}{$req->{digest}} = time;
    $self->save_marks;
    return $req->{sent};
}

sub unclear {
    my ($self, $req, $reason) = @_;
    warning('post_unclear', $req->{file}{path}, $reason);
}

sub failed {
    my ($self, $req, $reason) = @_;
    $req->{sent} = undef;
    $self->save_marks if defined delete $self->{marks}{$req->{digest}};
    warning('post_failed', $req->{file}{path}, $reason);
}

sub handled {
    my ($self, $req) = @_;
    mark_handled($req->{file}, $req);
    $req->{sent} = undef;
    $self->save_marks if defined delete $self->{marks}{$req->{digest}};
}

sub found {
    my ($self, $req) = @_;
    $self->handled($req);
    warning('post_found', $req->{file}{path});
}

1;
